#include "ui/how_it_works_tab.hpp"

namespace kestrel {

HowItWorksTab::HowItWorksTab(std::function<std::string()> text, QWidget* parent)
    : QTextBrowser(parent), text_(std::move(text)) {
  setReadOnly(true);
  setOpenLinks(false);
  setFrameShape(QFrame::NoFrame);
  viewport()->setAutoFillBackground(false);
  document()->setDocumentMargin(0);
  setViewportMargins(20, 16, 20, 16);
}

QString HowItWorksTab::html(const std::string& text) {
  const QStringList paragraphs = QString::fromStdString(text).split(QStringLiteral("\n\n"));
  QString out = QStringLiteral("<div style=\"font-size: 13px\">");
  for (qsizetype i = 0; i < paragraphs.size(); ++i) {
    const QString& paragraph = paragraphs[i];
    const qsizetype firstBreak = paragraph.indexOf(QLatin1Char('\n'));
    out += QStringLiteral("<p>");
    if (firstBreak >= 0) {
      QString rest = paragraph.mid(firstBreak + 1).toHtmlEscaped();
      rest.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
      out += QStringLiteral("<span style=\"font-weight: 600\">") + paragraph.left(firstBreak).toHtmlEscaped() +
             QStringLiteral("</span><br>") + rest;
    } else {
      out += paragraph.toHtmlEscaped();
    }
    out += QStringLiteral("</p>");
  }
  return out + QStringLiteral("</div>");
}

void HowItWorksTab::showEvent(QShowEvent* event) {
  setHtml(html(text_()));
  QTextBrowser::showEvent(event);
}

}  // namespace kestrel

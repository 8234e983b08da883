#pragma once

#include <QTextBrowser>
#include <functional>
#include <string>

namespace kestrel {

// The How it works tab: a read-only text of paragraphs; the first line of a paragraph of
// several lines is its heading. The text is made anew each time the tab comes on screen, so
// that the numbers it names are the ones that apply.
class HowItWorksTab : public QTextBrowser {
  Q_OBJECT

 public:
  explicit HowItWorksTab(std::function<std::string()> text, QWidget* parent = nullptr);

  // The text as HTML: paragraphs split at blank lines, a heading in semibold over the rest
  // of a paragraph of two or more lines, a one-line paragraph as body text.
  static QString html(const std::string& text);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::function<std::string()> text_;
};

}  // namespace kestrel

#include "app/qt_desktop.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "app/tests/shell_rig.hpp"
#include "app/tests/support.hpp"
#include "ui/today_tab.hpp"
#include "testing/recording_log.hpp"

namespace kestrel {

// Stands in for the desktop's handler of the addresses the program opens.
class OpenedUrls : public QObject {
  Q_OBJECT

 public:
  std::vector<QUrl> urls;

 public slots:
  void open(const QUrl& url) { urls.push_back(url); }
};

namespace {

using namespace testing;
using Id = MenuItemId;

struct DesktopRig {
  QApplication& application = qtApplication();  // before any widget
  Monitor monitor = makeMonitor();
  bool tray = false;
  std::vector<bool> asked;
  std::vector<Id> chosen;
  int quits = 0;
  RecordingLog log;
  QtDesktop desktop{[this](bool opening) { return facts(opening); }, [this](Id id) { chosen.push_back(id); },
                    [this] { ++quits; }, log, [this] { return tray; }};

  // As the controller gives them: the score and login status only when the view opens.
  MenuFacts facts(bool opening) {
    asked.push_back(opening);
    MenuFacts f = factsOf(monitor);
    f.hasUpdateLink = true;
    if (opening) {
      f.scorePercent = 72;
      f.login = LoginItemStatus::enabled;
    }
    return f;
  }
};

TEST(QtDesktop, WithoutATrayShowsTheWindowWithTheNoteAndTheMenuUntilATrayAppears) {
  struct Case {
    const char* name;
    bool openedFirst;  // the user had opened the window before the menu was installed
    bool openAfterTray;
  };
  const Case cases[] = {{"window only for the tray", false, false}, {"window opened by the user", true, true}};
  for (const Case& c : cases) {
    ShellRig shell;
    QtDesktop& desktop = *shell.desktop;
    if (c.openedFirst) desktop.showWindow();
    desktop.installMenu();
    EXPECT_FALSE(desktop.menu().installed()) << c.name;
    ASSERT_TRUE(desktop.windowOpen()) << c.name;
    TodayTab& today = desktop.window()->today();
    EXPECT_EQ(today.trayNote()->text(), QtDesktop::trayNoteText(QtDesktop::TrayNote::missing)) << c.name;
    EXPECT_TRUE(today.trayNote()->isVisibleTo(&desktop.window()->window())) << c.name;
    EXPECT_EQ(today.menuButton()->menu(), &desktop.menu().menu()) << c.name;
    EXPECT_TRUE(desktop.polling()) << c.name;

    desktop.checkForTray();  // still none
    EXPECT_FALSE(desktop.menu().installed()) << c.name;

    shell.tray = true;
    desktop.checkForTray();
    EXPECT_TRUE(desktop.menu().installed()) << c.name;
    EXPECT_EQ(desktop.windowOpen(), c.openAfterTray) << c.name;
    if (desktop.window()) {
      EXPECT_FALSE(desktop.window()->today().trayNote()->isVisibleTo(&desktop.window()->window())) << c.name;
      EXPECT_EQ(desktop.window()->today().menuButton()->menu(), nullptr) << c.name;
    }
    EXPECT_FALSE(desktop.polling()) << c.name;
  }
}

TEST(QtDesktop, WithATrayInstallsTheMenuOnlyAndKeepsWhatTheLastOpeningReadUntilTheNext) {
  DesktopRig rig;
  rig.tray = true;
  rig.desktop.installMenu();
  EXPECT_TRUE(rig.desktop.menu().installed());
  EXPECT_FALSE(rig.desktop.windowOpen());
  EXPECT_FALSE(rig.desktop.polling());
  QAction* score = rig.desktop.menu().action(Id::score);
  QAction* login = rig.desktop.menu().action(Id::login);
  EXPECT_EQ(score->text(), QStringLiteral("Today's score: —"));
  EXPECT_FALSE(login->isChecked());

  emit rig.desktop.menu().menu().aboutToShow();
  rig.desktop.refreshMenu();
  EXPECT_EQ(score->text(), QStringLiteral("Today's score: 72 %"));
  EXPECT_TRUE(login->isChecked());
  EXPECT_EQ(rig.asked, (std::vector{false, true, false}));

  rig.desktop.menu().action(Id::snooze)->trigger();
  rig.desktop.quit();
  EXPECT_EQ(rig.chosen, (std::vector{Id::snooze}));
  EXPECT_EQ(rig.quits, 1);
}

TEST(QtDesktop, OpensPathsAsFilesAndOnlyAddressesThatParse) {
  DesktopRig rig;
  OpenedUrls opened;
  for (const char* scheme : {"https", "file"}) QDesktopServices::setUrlHandler(scheme, &opened, "open");
  const std::pair<std::string, std::optional<QString>> cases[] = {
      {"https://kestrel.example/download", "https://kestrel.example/download"},
      {"/usr/share/kestrel/camera-access.html", "file:///usr/share/kestrel/camera-access.html"},
      {"no address", std::nullopt},
      {"https://bad host/", std::nullopt},
  };
  for (const auto& [address, expected] : cases) {
    opened.urls.clear();
    rig.desktop.openAddress(address);
    const std::vector<QUrl> want = expected ? std::vector{QUrl(*expected)} : std::vector<QUrl>{};
    EXPECT_EQ(opened.urls, want) << address;
  }
  for (const char* scheme : {"https", "file"}) QDesktopServices::unsetUrlHandler(scheme);
}

TEST(QtDesktop, ConfirmIsTrueOnlyForTheFirstButton) {
  for (int button : {0, 1}) {
    DesktopRig rig;
    QString seen;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen = box->windowTitle() + "|" + box->text();
      for (QAbstractButton* b : box->buttons()) seen += "|" + b->text();
      box->buttons().at(button)->click();
    });
    const bool accepted = rig.desktop.confirm("Delete all pictures?", "This cannot be undone.", "Delete", "Cancel");
    EXPECT_EQ(accepted, button == 0);
    EXPECT_EQ(seen, QStringLiteral("Delete all pictures?|This cannot be undone.|Delete|Cancel"));
  }
}

}  // namespace
}  // namespace kestrel

#include "qt_desktop_test.moc"

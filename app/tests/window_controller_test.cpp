#include "app/window_controller.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QSignalSpy>
#include <QTest>

#include "app/tests/controller_rig.hpp"
#include "app/tests/support.hpp"
#include "app/tests/window_pictures.hpp"
#include "core/log/check_line.hpp"
#include "core/tests/support/log_builders.hpp"
#include "ui/history_tab.hpp"
#include "ui/how_it_works_tab.hpp"
#include "ui/score_trend_view.hpp"
#include "ui/settings_tab.hpp"
#include "ui/today_tab.hpp"

namespace kestrel {

void PrintTo(const DayScore& s, std::ostream* out) {
  *out << s.day << ' ' << (s.percent ? std::to_string(*s.percent) : std::string("none"));
}

namespace {

using namespace testing;

struct WindowRig {
  QApplication& application = qtApplication();  // before any widget
  ControllerRig rig;
  std::optional<int> closedWith;
  std::unique_ptr<WindowController> window;

  explicit WindowRig(int tab = 0) { open(tab); }
  void open(int tab) {
    window = std::make_unique<WindowController>(*rig.controller, rig.log, tab,
                                                [this](int selected) { closedWith = selected; });
  }
  AppController& app() { return *rig.controller; }
  void save(const QString& name, QWidget& widget) { widget.grab().save(artifactPath(name)); }
};

TEST(WindowController, OpensOnTheRememberedTabAndHandsTheTabBackWhenClosed) {
  // The first and last tab, and a remembered index out of range on either side.
  const std::pair<int, int> cases[] = {{0, 0}, {3, 3}, {4, 0}, {-1, 0}};
  for (const auto& [remembered, selected] : cases) {
    WindowRig w(remembered);
    QTabWidget& tabs = w.window->tabs();
    EXPECT_EQ(tabs.currentIndex(), selected) << remembered;
    EXPECT_EQ(w.window->window().minimumSize(), w.window->window().maximumSize());
    w.window->show();
    tabs.setCurrentIndex(2);
    w.window->window().close();
    EXPECT_EQ(w.closedWith, 2);
    EXPECT_FALSE(w.window->ageTimerRunning());
  }
}

TEST(WindowController, TodayShowsTheDayWithAndWithoutAlertsAndRebuildsTheRowsOnlyWhenTheyChange) {
  struct Case {
    const char* name;
    bool alert;
    QString status, lastCheck, age, score;
    QStringList rows;
  };
  const Case cases[] = {
      {"a day without alerts", false, "Watching", "Last check: good", "checked 56 s ago", "100 %", {"No alerts today."}},
      {"a day with an alert", true, "Too close to the screen · sit back", "Last check: too close", "checked 56 s ago",
       "0 %", {"11:59  Too close to the screen · sit back · now"}},
  };
  for (const Case& c : cases) {
    WindowRig w;
    if (c.alert) w.rig.scene = tooClose();
    w.rig.start();
    w.rig.advance(60);
    w.rig.advance(58);  // the age line counts from the check
    QSignalSpy trend(w.window.get(), &WindowController::trendShown);
    w.window->loadLog();
    w.window->draw();
    TodayTab& today = w.window->today();
    EXPECT_EQ(today.status()->text(), c.status) << c.name;
    EXPECT_EQ(today.iconLabel()->text(), c.lastCheck) << c.name;
    EXPECT_EQ(today.age()->text(), c.age) << c.name;
    EXPECT_EQ(today.score()->text(), c.score) << c.name;
    EXPECT_EQ(today.alertTexts(), c.rows) << c.name;
    EXPECT_EQ(today.icon()->accessibleName(),
              c.alert ? QStringLiteral("Kestrel: last check needs attention") : QStringLiteral("Kestrel: last check good"))
        << c.name;
    const int builds = today.alertBuilds();
    w.window->draw();
    EXPECT_EQ(today.alertBuilds(), builds) << c.name;
    EXPECT_TRUE(eventually([&] { return trend.count() > 0; })) << c.name;
    w.save(c.alert ? QStringLiteral("window-today-alert.png") : QStringLiteral("window-today.png"), w.window->window());
  }
}

TEST(WindowController, TheAgeTimerRunsOnlyWhileTheWindowIsOnScreen) {
  WindowRig w;
  EXPECT_FALSE(w.window->ageTimerRunning());
  w.window->show();
  EXPECT_TRUE(eventually([&] { return w.window->ageTimerRunning(); }));
  w.window->window().showMinimized();
  EXPECT_TRUE(eventually([&] { return !w.window->ageTimerRunning(); }));
  w.window->window().showNormal();
  EXPECT_TRUE(eventually([&] { return w.window->ageTimerRunning(); }));
  w.window->window().hide();
  EXPECT_TRUE(eventually([&] { return !w.window->ageTimerRunning(); }));
}

TEST(WindowController, TheTrendShowsFourteenDaysWithGapsTodayAndTheTarget) {
  WindowRig w;
  const CheckLogStore& log = w.app().log();
  const auto checks = [&](Instant on, int good, int bad) {
    for (int i = 0; i < good; ++i) log.append(scoredLine(HeadVerdict::good, HandVerdict::good), on);
    for (int i = 0; i < bad; ++i) log.append(scoredLine(HeadVerdict::bad, HandVerdict::good), on);
  };
  for (int day = 13; day >= 1; --day) {
    if (day == 5 || day == 2) continue;  // a day away, and the 72 % day below
    checks(noon - 86400.0 * day, 10 + day % 4, 3 + day % 3);
  }
  checks(noon - 86400.0 * 2, 18, 7);  // the 7th
  checks(noon - 120, 9, 1);
  QSignalSpy shown(w.window.get(), &WindowController::trendShown);
  w.window->loadLog();
  ASSERT_TRUE(eventually([&] { return shown.count() > 0; }));
  const ScoreTrendView& trend = *w.window->today().trend();
  ASSERT_EQ(trend.scores().size(), 14u);
  EXPECT_EQ(trend.scores()[8], (DayScore{"2026-03-04", std::nullopt}));
  EXPECT_EQ(trend.scores()[11], (DayScore{"2026-03-07", 72}));
  EXPECT_EQ(trend.scores()[13], (DayScore{"2026-03-09", 90}));
  EXPECT_TRUE(trend.barRect(8).isEmpty());
  w.window->window().show();
  const QRectF bar = trend.barRect(11);
  const double full = trend.height() - 3;  // the plot area
  EXPECT_NEAR(bar.height(), full * 0.72, 1e-9);
  EXPECT_NEAR(trend.targetY(), 2 + full * 0.2, 1e-9);
  w.save(QStringLiteral("window-trend.png"), const_cast<ScoreTrendView&>(trend));
}

TEST(WindowController, HistoryListsDaysInRowsOfThreeOnlyTheLastReloadWinsAndATileOpensItsPicture) {
  WindowRig w(1);
  HistoryTab& history = w.window->history();
  QSignalSpy shown(&history, &HistoryTab::daysShown);
  w.window->show();
  ASSERT_TRUE(eventually([&] { return shown.count() == 1; }));
  const auto labels = history.widget()->findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 1);
  EXPECT_EQ(labels.front()->text(), QStringLiteral("No pictures yet. Each alert keeps one."));

  const PictureStore store = w.app().pictureStore();
  const std::string longHint = "Hand at chin · rest it elsewhere, and let your shoulders drop for a while";
  for (int i = 0; i < 3; ++i) writePicture(store, "A" + std::to_string(i), noon - 3600 + 600.0 * i, i % 2 == 0);
  writePicture(store, "A3", noon - 1800, false, longHint);
  writePicture(store, "B0", noon - 86400, false, "Too close · sit back");
  history.reload();
  ASSERT_TRUE(eventually([&] { return shown.count() == 2; }));
  const std::vector<std::vector<TileView*>> rows = history.tileRows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].size(), 3u);
  EXPECT_EQ(rows[1].size(), 1u);
  EXPECT_EQ(rows[2].size(), 1u);
  TileView* first = rows[0][0];
  EXPECT_EQ(first->accessibleName().toStdString(), "11:30 " + longHint);
  // Two lines at most, cut with an ellipsis.
  const QStringList caption = first->caption()->text().split(QLatin1Char('\n'));
  EXPECT_EQ(caption.size(), 2);
  EXPECT_TRUE(caption.front().startsWith(QStringLiteral("11:30  Hand"))) << caption.front().toStdString();
  EXPECT_TRUE(caption.back().endsWith(QStringLiteral("…"))) << caption.back().toStdString();
  EXPECT_EQ(first->cursor().shape(), Qt::PointingHandCursor);
  w.save(QStringLiteral("window-history.png"), w.window->window());
  w.save(QStringLiteral("history-tile.png"), *first);

  // A click, Enter and Space open the picture through the controller.
  QTest::mouseClick(first, Qt::LeftButton);
  QTest::keyClick(rows[1][0], Qt::Key_Return);
  QTest::keyClick(rows[2][0], Qt::Key_Space);
  EXPECT_EQ(w.rig.desktop.picturesOpened,
            (std::vector<std::string>{"2026-03-09/113000-A3", "2026-03-09/110000-A0", "2026-03-08/120000-B0"}));

  // Two reloads in quick succession: the first one's list never shows.
  writePicture(store, "C0", noon - 60, false);
  history.reload();
  std::filesystem::remove_all(store.root / "2026-03-08");
  history.reload();
  ASSERT_TRUE(eventually([&] { return shown.count() >= 3; }));
  QTest::qWait(100);  // time for the first reload to come back too
  EXPECT_EQ(shown.count(), 3);
  ASSERT_TRUE(history.shownDays());
  EXPECT_EQ(history.shownDays()->size(), 1u);
  EXPECT_EQ(history.shownDays()->front().entries.size(), 5u);
}

TEST(WindowController, EachSettingsControlWritesOnlyItsFieldAndNothingWhenUnchanged) {
  // Each control set to one value as the user sets it; the second time the value is the stored one.
  struct Case {
    const char* name;
    std::function<void(SettingsTab&)> send;
    std::function<void(AppSettings&)> expect;
  };
  const auto pick = [](QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
  };
  const auto tick = [](QCheckBox* box, bool on) {
    box->setChecked(on);
    emit box->clicked(on);
  };
  const Case cases[] = {
      {"sensitivity", [](SettingsTab& t) { t.sensitivity(Sensitivity::strict)->click(); },
       [](AppSettings& s) { s.sensitivity = Sensitivity::strict; }},
      {"glow", [&](SettingsTab& t) { tick(t.glow(), false); }, [](AppSettings& s) { s.glowEnabled = false; }},
      {"chime", [&](SettingsTab& t) { tick(t.chime(), false); }, [](AppSettings& s) { s.chimeEnabled = false; }},
      {"chime delay", [&](SettingsTab& t) { pick(t.chimeDelay(), 3); },
       [](AppSettings& s) { s.chimeDelay = ChimeDelay::min3; }},
      {"sound", [&](SettingsTab& t) { pick(t.sound(), 1); }, [](AppSettings& s) { s.chimeSound = "dialog-warning"; }},
      {"interval", [&](SettingsTab& t) { pick(t.interval(), 0); },
       [](AppSettings& s) { s.checkInterval = CheckInterval::s15; }},
      {"camera", [&](SettingsTab& t) { tick(t.keepCameraOn(), true); },
       [](AppSettings& s) { s.cameraBetweenChecks = CameraDuty::Mode::steady; }},
      {"photos", [&](SettingsTab& t) { tick(t.keepPhotos(), false); }, [](AppSettings& s) { s.keepPhotos = false; }},
      {"retention", [&](SettingsTab& t) { pick(t.retention(), 2); },
       [](AppSettings& s) { s.pictureRetention = PictureRetention::month; }},
  };
  for (const Case& c : cases) {
    WindowRig w;
    writeBytes(w.rig.folder / "sounds/dialog-warning.oga", "OggS");
    w.open(2);  // the sounds are read when the tab is made
    w.window->show();
    SettingsTab& tab = w.window->settingsTab();
    AppSettings expected = w.app().settings();
    c.expect(expected);
    c.send(tab);
    EXPECT_EQ(w.app().settings(), expected) << c.name;
    EXPECT_EQ(w.rig.count("setting "), 1) << c.name;
    c.send(tab);
    EXPECT_EQ(w.rig.count("setting "), 1) << c.name;
  }
}

TEST(WindowController, SettingsReadTheLoginItemAndCalibrationAndPlayAndDeleteThroughTheController) {
  WindowRig w(2);
  w.window->show();
  SettingsTab& tab = w.window->settingsTab();
  EXPECT_EQ(w.rig.count("login status read trigger=tabShown"), 1);
  EXPECT_FALSE(tab.login()->isChecked());
  tab.login()->click();
  EXPECT_EQ(w.rig.loginItem.current, LoginItemStatus::enabled);
  EXPECT_EQ(w.rig.count("login status read trigger=loginToggled"), 1);
  EXPECT_TRUE(tab.login()->isChecked());
  EXPECT_TRUE(tab.calibrated()->text().startsWith(QStringLiteral("Calibrated ")));
  tab.playSound()->click();
  EXPECT_EQ(w.rig.sound.played, std::vector{(w.rig.folder / "sounds/complete.oga").string()});
  w.rig.desktop.answer = false;
  tab.deletePictures()->click();
  EXPECT_EQ(w.rig.desktop.questions, std::vector<std::string>{"Delete all pictures?"});
  w.save(QStringLiteral("window-settings.png"), w.window->window());
}

TEST(WindowController, HowItWorksShowsTheTextWithTheFirstLineOfEachLongerParagraphAsItsHeading) {
  EXPECT_EQ(HowItWorksTab::html("Privacy\nNothing <leaves>.\nReally.\n\nNot a medical device."),
            QStringLiteral("<div style=\"font-size: 13px\"><p><span style=\"font-weight: 600\">Privacy</span><br>"
                           "Nothing &lt;leaves&gt;.<br>Really.</p><p>Not a medical device.</p></div>"));
  WindowRig w(3);
  w.window->show();
  const QString shown = w.window->howItWorks().toPlainText();
  EXPECT_TRUE(shown.endsWith(QStringLiteral("Version abc1234 · 7 Dec"))) << shown.toStdString();
  w.save(QStringLiteral("window-how-it-works.png"), w.window->window());
}

}  // namespace
}  // namespace kestrel

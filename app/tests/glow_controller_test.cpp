#include "app/glow_controller.hpp"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "app/tests/shell_rig.hpp"
#include "app/tests/support.hpp"

namespace kestrel {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;

// The program's glow on the offscreen screen, with an alert raised by the first check.
struct GlowRig {
  ShellRig shell;
  GlowController& glow = *shell.desktop->glow();
  QRect screen = QGuiApplication::primaryScreen()->geometry();

  void raise() {
    shell.rig->scene = tooClose();
    shell.rig->start();
    shell.rig->advance(4);
  }
  std::int64_t logged(const std::string& prefix) const {
    std::int64_t n = 0;
    for (const std::string& m : shell.shellLog.messages()) n += m.rfind(prefix, 0) == 0;
    return n;
  }
  std::vector<QString> pillButtons() const {
    std::vector<QString> titles;
    for (const auto& row : glow.pill()->buttons()) {
      for (const QPushButton* b : row) titles.push_back(b->text());
    }
    return titles;
  }
};

TEST(GlowController, AVisibleAlertShowsABarOnTheScreenThatPulsesOnlyWhenRaised) {
  GlowRig rig;
  rig.shell.rig->start();
  rig.shell.rig->advance(4);
  EXPECT_FALSE(rig.glow.shown());
  EXPECT_TRUE(rig.glow.glows().empty());

  rig.shell.rig->scene = tooClose();
  rig.shell.rig->advance(60);  // the next check raises the alert
  ASSERT_EQ(rig.glow.glows().size(), 1u);
  const GlowView& view = *rig.glow.glows()[0];
  const QRect bar(rig.screen.width() / 2 - 100, 0, 200, 30);
  EXPECT_EQ(view.frame(), bar);
  EXPECT_EQ(view.geometry(), bar.adjusted(-8, 0, 8, 8));  // with room for the shadow
  EXPECT_TRUE(view.isVisible());
  EXPECT_EQ(rig.glow.hoverStrips(), (std::vector<QRect>{QRect(bar.x(), -8, 200, 46)}));
  const std::string y = std::to_string(rig.screen.height() - 30);
  EXPECT_EQ(rig.logged("glow shown screen=0 bar x=" + std::to_string(bar.x()) + " y=" + y + " w=200 h=30"), 1);
  EXPECT_EQ(rig.logged("glow pulse count=3"), 1);
  EXPECT_TRUE(rig.glow.pulsing());

  // Later checks of the same alert and other inputs keep the glow as it is.
  rig.shell.rig->advance(60);
  EXPECT_EQ(rig.logged("glow shown"), 1);
  EXPECT_EQ(rig.logged("glow pulse"), 1);
  // Another raise while shown pulses again without a rebuild.
  const std::string id = rig.shell.controller().monitor().visibleAlerts(rig.shell.controller().now())[0].id;
  rig.glow.update(false, {event::AlertRaised{AlertModule::head, id, "", false}});
  EXPECT_EQ(rig.logged("glow pulse count=3"), 2);
  EXPECT_EQ(rig.logged("glow shown"), 1);
}

TEST(GlowController, HoveringOpensThePillScreenChangesRebuildAndTheSwitchOrWrongTearDown) {
  GlowRig rig;
  rig.raise();
  const QRect strip = rig.glow.hoverStrips()[0];
  rig.shell.pointer = strip.center();
  rig.glow.pollPointer();
  ASSERT_NE(rig.glow.pill(), nullptr);
  const PillView& pill = *rig.glow.pill();
  const Instant now = rig.shell.controller().now();
  EXPECT_EQ(pill.hints(),
            std::vector<QString>{QString::fromStdString(rig.shell.controller().monitor().visibleAlerts(now)[0].hint)});
  EXPECT_EQ(rig.pillButtons(), std::vector<QString>{QStringLiteral("Wrong")});
  // Centred six points under the glow.
  const QRect glow = rig.glow.glows()[0]->frame();
  EXPECT_EQ(pill.geometry().top(), glow.bottom() + 1 + 6);
  EXPECT_LE(std::abs(pill.geometry().center().x() - glow.center().x()), 1);
  EXPECT_TRUE(rig.glow.closing());

  // On the pill or on the strip it stays; elsewhere it closes at the closer's next look.
  rig.shell.pointer = pill.geometry().center();
  rig.glow.closeIfLeft();
  ASSERT_NE(rig.glow.pill(), nullptr);
  rig.glow.pollPointer();  // leaving the strip for the pill does not open another
  rig.shell.pointer = {rig.screen.width() / 2, 300};
  rig.glow.pollPointer();
  rig.glow.closeIfLeft();
  EXPECT_EQ(rig.glow.pill(), nullptr);
  EXPECT_FALSE(rig.glow.closing());

  emit qGuiApp->screenAdded(QGuiApplication::primaryScreen());
  EXPECT_EQ(rig.logged("glow shown"), 2);
  EXPECT_EQ(rig.glow.glows().size(), 1u);
  // So does a compositing manager that stops: the glow turns opaque within five looks.
  rig.shell.compositing = false;
  for (int i = 0; i < GlowController::compositingEveryPolls; ++i) rig.glow.pollPointer();
  EXPECT_EQ(rig.logged("glow shown"), 3);
  ASSERT_EQ(rig.glow.glows().size(), 1u);
  EXPECT_FALSE(rig.glow.glows()[0]->translucent());
  EXPECT_EQ(rig.logged("glow hidden"), 0);  // a rebuild is not a hiding

  // The glow switch tears it down and brings it back without a pulse.
  AppSettings settings = rig.shell.controller().settings();
  settings.glowEnabled = false;
  rig.shell.controller().updateSettings(settings);
  EXPECT_FALSE(rig.glow.shown());
  EXPECT_TRUE(rig.glow.glows().empty());
  EXPECT_EQ(rig.logged("glow hidden screens=1"), 1);
  settings.glowEnabled = true;
  rig.shell.controller().updateSettings(settings);
  EXPECT_EQ(rig.glow.glows().size(), 1u);
  EXPECT_EQ(rig.logged("glow shown"), 4);
  EXPECT_EQ(rig.logged("glow pulse"), 1);

  // The pill's Wrong hides the alert and the glow.
  rig.shell.pointer = rig.glow.hoverStrips()[0].center();
  rig.glow.pollPointer();
  ASSERT_NE(rig.glow.pill(), nullptr);
  rig.glow.pill()->buttons()[0][0]->click();
  QCoreApplication::processEvents();
  rig.shell.rig->settle();
  EXPECT_FALSE(rig.glow.shown());
  EXPECT_EQ(rig.glow.pill(), nullptr);
  EXPECT_EQ(rig.logged("glow hidden screens=1"), 2);
  const Lines lines = rig.shell.rig->dayLines(noon);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "event feedback"), 1);

  rig.glow.update(true, {});  // forced, as with no alert at all
  rig.shell.pointer = rig.glow.hoverStrips()[0].center();
  rig.glow.pollPointer();
  EXPECT_EQ(rig.glow.pill(), nullptr);  // no alert, no pill
}

TEST(GlowView, PaintsOrangeTranslucentWithACompositorAndOpaqueWithout) {
  qtApplication();
  struct Case {
    bool translucent;
    double level;
    QColor centre;
  };
  const Case cases[] = {{true, 1.0, QColor(255, 149, 0, 217)},
                        {true, 0.25, QColor(255, 149, 0, 54)},
                        {false, 1.0, QColor(255, 149, 0)},
                        {false, 0.25, QColor(255, 228, 191)}};
  const GlowShape bar{GlowShape::Kind::bar, Rect{0, 0, 200, 30}, 15};
  for (const Case& c : cases) {
    GlowView view(bar, QRect(100, 0, 200, 30), c.translucent, nullptr);
    view.setLevel(c.level);
    const QImage image = view.grab().toImage();
    const QPoint centre = c.translucent ? QPoint(108, 15) : QPoint(100, 15);
    // Within the rounding of a premultiplied image.
    const QColor got = image.pixelColor(centre);
    const auto near = [](int a, int b) { return std::abs(a - b) <= 2; };
    EXPECT_TRUE(near(got.red(), c.centre.red()) && near(got.green(), c.centre.green()) &&
                near(got.blue(), c.centre.blue()) && got.alpha() == c.centre.alpha())
        << c.translucent << " " << c.level << ": " << got.name(QColor::HexArgb).toStdString();
    if (c.translucent) {
      // The shadow fades out beside the bar; the corner outside the rounding stays clear.
      EXPECT_GT(image.pixelColor(2, 15).alpha(), 0);
      EXPECT_LT(image.pixelColor(2, 15).alpha(), image.pixelColor(7, 15).alpha());
      EXPECT_EQ(image.pixelColor(0, 37).alpha(), 0);
      if (c.level == 1.0) image.save(artifactPath(QStringLiteral("glow-bar.png")));
    }
  }
}

TEST(PillView, OneRowPerAlertAndOnlyTheNewestPillsButtonsAct) {
  qtApplication();
  std::vector<std::string> ran;
  PillView pill(true, nullptr);
  pill.setRows({{"Sit back · you are too close", false, [&] { ran.push_back("wrong head"); }, {}},
                {"Hand at chin · rest your jaw", true, [&] { ran.push_back("wrong hand"); },
                 [&] { ran.push_back("recalibrate"); }}});
  EXPECT_EQ(pill.hints(), (std::vector<QString>{QStringLiteral("Sit back · you are too close"),
                                                 QStringLiteral("Hand at chin · rest your jaw")}));
  const auto rows = pill.buttons();
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(rows[1].size(), 2u);
  EXPECT_EQ(rows[0].size(), 1u);
  pill.grab().save(artifactPath(QStringLiteral("glow-pill.png")));
  rows[1][1]->click();
  rows[0][0]->click();
  EXPECT_TRUE(ran.empty());  // the actions run from the event loop, after the click
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, (std::vector<std::string>{"recalibrate", "wrong head"}));

  QPointer<QPushButton> stale = pill.buttons()[0][0];
  pill.setRows({{"Hand at chin · rest your jaw", false, [&] { ran.push_back("new"); }, {}}});
  EXPECT_TRUE(stale.isNull());
  pill.buttons()[0][0]->click();
  QCoreApplication::processEvents();
  EXPECT_EQ(ran.back(), "new");
}

}  // namespace
}  // namespace kestrel

#include "ui/picture_viewer.hpp"

#include <gtest/gtest.h>

#include <QLabel>

#include "app/tests/shell_rig.hpp"
#include "app/tests/window_pictures.hpp"
#include "core/pictures/picture_naming.hpp"
#include "ui/picture_drawing_view.hpp"
#include "ui/tile_view.hpp"

namespace kestrel {
namespace {

using namespace testing;

TEST(PictureViewer, ShowsThePictureWithOrWithoutItsPhotoOrThatItWasDeleted) {
  struct Case {
    const char* name;
    bool photo;
    bool deleted;
    QString heading;
    QString photoText;  // the photo's accessible name, or the line instead of it
    std::string logLine;
  };
  const Case cases[] = {
      {"with a photo", true, false, "11:00  Hand at chin · rest it elsewhere", "Photo from the alert",
       "picture viewer alertId=A1 photo=true w=1280 h=720"},
      {"without a photo", false, false, "11:00  Hand at chin · rest it elsewhere", "No photo kept for this alert.",
       "picture viewer alertId=A1 photo=false w=1280 h=720"},
      {"deleted", false, true, "This picture was deleted.", "", "picture viewer deleted day=2026-03-09"},
  };
  for (const Case& c : cases) {
    ShellRig shell;
    const PictureStore store = shell.controller().pictureStore();
    const PictureRecord record = writePicture(store, "A1", noon - 3600, c.photo);
    if (c.deleted) std::filesystem::remove(store.recordFile(record));
    shell.controller().openPicture("2026-03-09", PictureNaming::stem(record.raisedAt, "A1", store.clock));
    PictureViewer* viewer = shell.desktop->pictureViewer();
    ASSERT_NE(viewer, nullptr) << c.name;
    EXPECT_EQ(viewer->heading()->text(), c.heading) << c.name;
    EXPECT_EQ(viewer->found(), !c.deleted) << c.name;
    if (!c.deleted) {
      EXPECT_EQ(viewer->drawingView()->size(), QSize(320, 180)) << c.name;
      EXPECT_EQ(c.photo ? viewer->photo()->accessibleName() : viewer->photo()->text(), c.photoText) << c.name;
      EXPECT_EQ(viewer->photo()->pixmap().isNull(), !c.photo) << c.name;
    }
    EXPECT_EQ(shell.shellLog.messages(), std::vector{c.logLine}) << c.name;
    viewer->grab().save(artifactPath(QStringLiteral("viewer-%1.png").arg(QString(c.name).replace(' ', '-'))));
  }
}

TEST(PictureViewer, PruningItsDayClosesItAndOtherDaysLeaveItOpen) {
  for (const bool old : {true, false}) {
    ShellRig shell;
    const PictureStore store = shell.controller().pictureStore();
    const Instant raised = old ? noon - 86400 * 10 : noon - 3600;
    writePicture(store, "A1", raised, false);
    writePicture(store, "A2", noon - 86400 * 9, false);  // pruned in both cases
    shell.controller().openPicture(store.clock.dayName(raised), PictureNaming::stem(raised, "A1", store.clock));
    shell.controller().prunePictures(noon);
    shell.rig->settle();
    EXPECT_EQ(shell.desktop->pictureViewer() == nullptr, old);
    EXPECT_EQ(shell.rig->logged("pictures pruned days=2"), old);
    const auto lines = shell.shellLog.messages();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "picture viewer closed reason=pruned"), old ? 1 : 0);
  }
}

TEST(PictureDrawingView, PaintsTheDrawingMirroredInTheLargestAreaOfItsAspect) {
  qtApplication();
  PictureDrawing drawing;
  drawing.handPoints = {{0.25, 0.5}};
  PictureDrawingView view(drawing);
  view.resize(200, 150);
  const QImage image = view.grab().toImage();
  // The area is 192 × 108 from (4, 21); x 0.25 lands three quarters across: 4 + 144.
  EXPECT_EQ(image.pixelColor(148, 75), PictureDrawingView::orange());
  EXPECT_NE(image.pixelColor(52, 75), PictureDrawingView::orange());

  drawing = PictureDrawing::make(handAtChinFrame(), AlertModule::hand, Thresholds{});
  view.setDrawing(drawing);
  view.resize(TileView::width * 2, TileView::drawingHeight * 2);
  view.grab().save(artifactPath(QStringLiteral("drawing-hand-at-chin.png")));
}

}  // namespace
}  // namespace kestrel

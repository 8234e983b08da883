#include "ui/menu_icon.hpp"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QPainter>
#include <QTemporaryDir>

#include "app/tests/support.hpp"

namespace kestrel {
namespace {

using S = MenuIconState;

// A point of the icon, as fractions of its side.
struct Spot {
  double x;
  double y;
  QColor color;
};

QColor pixel(const QImage& image, double x, double y) {
  return image.pixelColor(static_cast<int>(x * image.width()), static_cast<int>(y * image.height()));
}

TEST(MenuIcon, PaintsEachStateInItsTintAtEveryTraySize) {
  testing::qtApplication();
  const QColor green(52, 199, 89), red(255, 59, 48), grey(142, 142, 147), white(Qt::white), clear(Qt::transparent);
  struct Case {
    S state;
    std::vector<Spot> spots;
  };
  const Case cases[] = {
      // The disc, the check mark's corner, the transparent corner.
      {S::good, {{0.5, 0.2, green}, {0.8, 0.6, green}, {0.44, 0.65, white}, {0.02, 0.02, clear}}},
      // The disc above the cross, the cross's centre, the corner.
      {S::bad, {{0.5, 0.2, red}, {0.2, 0.5, red}, {0.5, 0.5, white}, {0.02, 0.02, clear}}},
      // The bar, the ring at the top, the hollow between them, the corner.
      {S::idle, {{0.5, 0.5, grey}, {0.5, 0.13, grey}, {0.5, 0.3, clear}, {0.02, 0.02, clear}}},
      // The exclamation mark's stroke, the triangle's base, inside the triangle beside the mark.
      {S::cameraProblem, {{0.5, 0.45, grey}, {0.5, 0.88, grey}, {0.3, 0.75, clear}, {0.02, 0.02, clear}}},
  };
  // Every state at every tray size side by side, left for a look by eye.
  QImage sheet(4 * 72, 6 * 72, QImage::Format_ARGB32);
  sheet.fill(QColor(236, 236, 236));
  QPainter painter(&sheet);
  for (const Case& c : cases) {
    const QIcon icon = AlertViews::paintedMenuIcon(c.state);
    const int column = static_cast<int>(&c - cases);
    int row = 0;
    for (int side : {16, 22, 24, 32, 48, 64}) painter.drawPixmap(column * 72 + 4, row++ * 72 + 4, icon.pixmap(side));
    for (int side : {16, 22, 32, 64}) {
      const QImage image = icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
      ASSERT_EQ(image.size(), QSize(side, side)) << toText(c.state);
      for (const Spot& spot : c.spots) {
        const QColor got = pixel(image, spot.x, spot.y);
        const QColor want = spot.color.alpha() == 0 ? QColor(0, 0, 0, 0) : spot.color;
        EXPECT_EQ(got.rgba(), want.rgba()) << toText(c.state) << " at " << side << " px, spot (" << spot.x << ", "
                                           << spot.y << "): got " << got.name(QColor::HexArgb).toStdString();
      }
    }
  }
  painter.end();
  EXPECT_TRUE(sheet.save(testing::artifactPath("menu_icons.png")));
}

TEST(MenuIcon, FallsBackToThePaintedIconWhenTheThemeHasNone) {
  testing::qtApplication();
  QTemporaryDir empty;
  const QStringList paths = QIcon::themeSearchPaths();
  const QString theme = QIcon::themeName();
  QIcon::setThemeSearchPaths({empty.path()});
  QIcon::setThemeName("kestrel-no-such-theme");
  const QImage painted = AlertViews::paintedMenuIcon(S::bad).pixmap(32, 32).toImage();
  const QImage chosen = AlertViews::menuIcon(S::bad).pixmap(32, 32).toImage();
  QIcon::setThemeSearchPaths(paths);
  QIcon::setThemeName(theme);
  EXPECT_EQ(chosen, painted);
}

}  // namespace
}  // namespace kestrel

#include "components/SmallGrid.h"

#include "tests/support/TestApp.h"
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

using namespace kelani;
using kelani::test::App;

namespace {

// Paints the grid on a white picture with a black pen and returns it.
QImage Paint(const TSmallGrid& grid, int scale, QPoint origin = {0, 0}) {
    QImage image(grid.TotalWidth() * scale + origin.x() + 40, grid.TotalHeight() * scale + origin.y() + 40,
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::black);
    grid.PaintTo(painter, origin, scale);
    return image;
}

} // namespace

TEST(SmallGrid, SizesItselfFromItsCellsPlusOnePixel) {
    App();
    TSmallGrid grid;
    EXPECT_EQ(grid.size(), QSize(4 * 64 + 1, 5 * 18 + 1));
    grid.OnGetColWidth = [](const TSmallGrid&, int col, int& width) { width = col == 0 ? 40 : 100; };
    grid.SetColCount(3);
    grid.SetRowCount(21);
    EXPECT_EQ(grid.TotalWidth(), 240);
    EXPECT_EQ(grid.size(), QSize(241, 21 * 18 + 1));
    // Without grid lines the extra pixel is still reserved.
    grid.GridLineHori = 0;
    grid.GridLineVert = 0;
    grid.UpdateSize();
    EXPECT_EQ(grid.size(), QSize(241, 21 * 18 + 1));
}

TEST(SmallGrid, SelectsWholeRowsWithExclusiveBounds) {
    App();
    TSmallGrid grid;
    EXPECT_FALSE(grid.IsSelected(0, 0));
    grid.SelectRow(3);
    EXPECT_TRUE(grid.IsSelected(0, 3));
    EXPECT_TRUE(grid.IsSelected(3, 3));
    EXPECT_FALSE(grid.IsSelected(0, 4));
    EXPECT_FALSE(grid.IsSelected(4, 3));
    grid.SelectRow(-1);
    EXPECT_FALSE(grid.IsSelected(0, 3));
}

TEST(SmallGrid, ReportsTheClickedCellAndMinusOneBeyondTheGrid) {
    App();
    TSmallGrid grid;
    grid.setMinimumSize(400, 200); // a click may land right of or below the last cell
    grid.resize(400, 200);
    int col = -2, row = -2;
    grid.OnCellClick = [&](const TSmallGrid&, int c, int r) { col = c, row = r; };
    // The release is delivered straight to the grid: no window system, focus or timing involved.
    const auto release = [&](QPoint at) {
        QMouseEvent event(QEvent::MouseButtonRelease, QPointF(at), grid.mapToGlobal(QPointF(at)),
                          Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&grid, &event);
    };
    release(QPoint(70, 40));
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 2);
    release(QPoint(4 * 64 + 10, 5 * 18 + 10));
    EXPECT_EQ(col, -1);
    EXPECT_EQ(row, -1);
}

TEST(SmallGrid, PaintsBackgroundsFromTheEventAndKeepsThePreviousColour) {
    App();
    TSmallGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(2);
    grid.GridLineHori = grid.GridLineVert = 0;
    grid.OnGetCellColorBG = [](const TSmallGrid&, int col, int row, QColor& color) {
        if (col == 0 && row == 0) color = QColor(255, 128, 64);
    };
    const QImage image = Paint(grid, 1);
    EXPECT_EQ(image.pixelColor(10, 9), QColor(255, 128, 64));
    // Later cells start from the previous cell's colour, so they keep the orange too.
    EXPECT_EQ(image.pixelColor(100, 27), QColor(255, 128, 64));
}

TEST(SmallGrid, LineWidthsGrowWithTheScale) {
    App();
    TSmallGrid grid;
    grid.SetColCount(1);
    grid.SetRowCount(1);
    const QPoint origin(40, 40);
    const QImage image = Paint(grid, 20, origin);
    // The top line is 20 pixels thick, centred on the row's edge.
    int dark = 0;
    for (int y = 20; y < 70; ++y)
        if (qGray(image.pixel(origin.x() + 600, y)) < 128) ++dark;
    EXPECT_EQ(dark, 20);
}

TEST(SmallGrid, CutsLongTextInsideItsCell) {
    App();
    TSmallGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(1);
    grid.GridLineHori = grid.GridLineVert = 0;
    grid.OnGetCellStr = [](const TSmallGrid&, int col, int, QString& text) {
        if (col == 0) text = QString(200, QChar('W'));
    };
    const QImage image = Paint(grid, 1);
    for (int x = 64; x < 128; ++x)
        for (int y = 0; y < 18; ++y) ASSERT_EQ(image.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
}

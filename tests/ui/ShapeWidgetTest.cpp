#include "ui/ShapeWidget.h"

#include <QImage>
#include <QtMath>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

const QColor kBackground(0x40, 0x80, 0xC0);
const QColor kFill(0xFF, 0xFF, 0xC0);

// What the window shows along the middle row of a shape drawn for x 110..129 (20 wide), from
// x 105 to x 134: 'b' background, 'o' outline, 'f' fill.
std::string middleRow(int outlineWidth, std::optional<QColor> fill)
{
    QWidget window;
    window.setFixedSize(140, 60);
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, kBackground);
    window.setPalette(palette);
    new ShapeWidget(QRect(110, 40, 20, 10), outlineWidth, fill, &window);
    const QImage picture = window.grab().toImage();
    const qreal scale = picture.devicePixelRatio();
    std::string row;
    for (int x = 105; x < 135; ++x) {
        const QColor seen = picture.pixelColor(qFloor((x + 0.5) * scale), qFloor(45.5 * scale));
        row += seen == Qt::black ? 'o' : seen == kFill ? 'f' : seen == kBackground ? 'b' : '?';
    }
    return row;
}

} // namespace

// The outline is centred on the rectangle's edge: of a thick one the larger half lies outside.
TEST(ShapeWidget, drawsItsOutlineCentredOnTheRectangleEdgeAroundItsFill)
{
    struct Case {
        int outlineWidth;
        std::optional<QColor> fill;
        const char* row;  // from x 105; the rectangle's edge columns are x 110 and x 129
    };
    const Case cases[] = {
        {3, kFill, "bbboooffffffffffffffffffooobbb"},
        {2, kFill, "bbbbooffffffffffffffffffoobbbb"},
        {5, std::nullopt, "bbooooobbbbbbbbbbbbbbbbooooobb"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(middleRow(c.outlineWidth, c.fill), c.row) << "outline " << c.outlineWidth;
}

TEST(ShapeWidget, letClicksThroughToWhatLiesBehindIt)
{
    QWidget window;
    window.setFixedSize(40, 30);
    auto* behind = new QWidget(&window);
    behind->setGeometry(0, 0, 40, 30);
    new ShapeWidget(QRect(10, 10, 20, 10), 3, kFill, &window);
    EXPECT_EQ(window.childAt(15, 15), behind);
    EXPECT_EQ(window.childAt(9, 15), behind) << "on the outline";
}

#include "platform/PaintHold.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class PaintCount final : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// While held, not even repaint() reaches the widget; the release paints it once more, later.
TEST(PaintHold, holdsEveryPaintBackAndPaintsOnceReleased)
{
    PaintCount widget;
    widget.resize(40, 20);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QTRY_VERIFY(widget.paints > 0);
    const int before = widget.paints;
    {
        PaintHold hold(widget);
        hold.hold();
        widget.repaint();
        widget.update();
        QCoreApplication::processEvents();
        EXPECT_EQ(widget.paints, before);
        hold.release();
        EXPECT_FALSE(hold.held());
        QTRY_COMPARE(widget.paints, before + 1);
        widget.repaint();
        EXPECT_EQ(widget.paints, before + 2) << "released: painted again at once";
    }
}

} // namespace

#include "platform/FlushScreenPresenter.h"

#include "fakes/FakeClock.h"

#include <QEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Counts its paints, and moves the clock on in each as painting takes time.
class PaintCounter final : public QWidget {
public:
    explicit PaintCounter(FakeClock& clock) : clock_(clock) { resize(40, 20); }
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        ++paints;
        clock_.advanceMilliseconds(2);
    }

private:
    FakeClock& clock_;
};

TEST(FlushScreenPresenter, paintsBeforeReturningAndReportsTheMomentAfterThePaint)
{
    FakeClock clock;
    PaintCounter widget(clock);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QTRY_VERIFY(widget.paints > 0);
    QCoreApplication::processEvents();
    const int before = widget.paints;
    const std::int64_t start = clock.nowMicroseconds();

    FlushScreenPresenter presenter(widget, clock);
    bool stampedLater = false;
    const std::optional<std::int64_t> shownAt = presenter.present([&](std::int64_t) { stampedLater = true; });

    EXPECT_EQ(widget.paints, before + 1) << "painted at once, not on a later pass of the event loop";
    ASSERT_TRUE(shownAt.has_value());
    EXPECT_EQ(*shownAt, start + 2'000);
    EXPECT_FALSE(stampedLater);
}

} // namespace

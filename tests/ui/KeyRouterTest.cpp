#include "ui/KeyRouter.h"

#include "fakes/FakeClock.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

struct KeyRouting : ::testing::Test {
    KeyRouting()
    {
        window.resize(200, 80);
        button->setGeometry(0, 40, 200, 30);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void deliver(Qt::Key code, quint64 stampMs, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                 bool autoRepeat = false)
    {
        QKeyEvent event(QEvent::KeyPress, code, modifiers, QString(), autoRepeat);
        event.setTimestamp(stampMs);
        QCoreApplication::sendEvent(window.windowHandle(), &event);
    }

    FakeClock clock;
    EventClock times{clock};
    QWidget window;
    QPushButton* button = new QPushButton(QStringLiteral("Start"), &window);
    std::vector<std::pair<int, std::int64_t>> judged;
    KeyRouter router{window, times, [this](int code, std::int64_t at) { judged.emplace_back(code, at); }};
};

TEST_F(KeyRouting, eachKeyIsJudgedOnceWithTheMomentItsEventWasStamped)
{
    const quint64 nowMs = static_cast<quint64>(clock.nowMicroseconds() / 1000);
    deliver(Qt::Key_K, nowMs - 40);
    deliver(Qt::Key_1, 0);  // no stamp: the moment of handling
    EXPECT_EQ(judged, (std::vector<std::pair<int, std::int64_t>>{
                          {'K', (static_cast<std::int64_t>(nowMs) - 40) * 1000 + 500}, {'1', clock.nowMicroseconds()}}));
}

TEST_F(KeyRouting, keysThatTheFocusedControlIgnoresOrPassesOnAreStillJudgedOnce)
{
    struct Case {
        const char* what;
        QWidget* focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool autoRepeat;
    };
    const Case cases[] = {
        {"Ctrl+Tab on the window", &window, Qt::Key_Tab, Qt::ControlModifier, false},
        {"a letter on the button", button, Qt::Key_A, Qt::NoModifier, false},
        {"auto-repeated Space on the button", button, Qt::Key_Space, Qt::NoModifier, true},
        {"Tab on the button", button, Qt::Key_Tab, Qt::NoModifier, false},
    };
    for (const Case& c : cases) {
        c.focus->setFocus();
        judged.clear();
        deliver(c.key, 0, c.modifiers, c.autoRepeat);
        ASSERT_EQ(judged.size(), 1u) << c.what;
        EXPECT_EQ(judged[0].first, KeyRouter::virtualKeyCode(c.key)) << c.what;
    }
}

TEST_F(KeyRouting, aKeyIsNeverPutBeforeOneHandledEarlier)
{
    const quint64 nowMs = static_cast<quint64>(clock.nowMicroseconds() / 1000);
    deliver(Qt::Key_A, 0);             // no stamp: taken as now
    deliver(Qt::Key_B, nowMs - 5);     // stamped, from before the moment the first was handled
    ASSERT_EQ(judged.size(), 2u);
    EXPECT_EQ(judged[1].second, judged[0].second);
}

TEST(KeyRouter, lettersGiveTheirCapitalsCodeWhateverTheShiftStateAndOtherKeysLieOutsideIt)
{
    EXPECT_EQ(KeyRouter::virtualKeyCode(Qt::Key_A), 65);
    EXPECT_EQ(KeyRouter::virtualKeyCode(Qt::Key_Z), 90);
    for (const int key : {Qt::Key_Shift, Qt::Key_F18, Qt::Key_Kana_Shift, Qt::Key_1, Qt::Key_Escape, Qt::Key_Space})
        EXPECT_TRUE(KeyRouter::virtualKeyCode(key) < 65 || KeyRouter::virtualKeyCode(key) > 90) << key;
}

} // namespace

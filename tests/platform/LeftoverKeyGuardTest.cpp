#include "platform/LeftoverKeyGuard.h"

#include "fakes/FakeClock.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

struct LeftoverKeys : ::testing::Test {
    LeftoverKeys()
    {
        window.resize(200, 40);
        box->setGeometry(0, 0, 200, 30);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        box->setFocus();
    }

    // A key event as the window system delivers it, stamped `msAfterArming` after arm().
    void key(QEvent::Type type, Qt::Key code, double msAfterArming, bool autoRepeat = false)
    {
        const QString text = code >= Qt::Key_A && code <= Qt::Key_Z ? QString(QChar(code)).toLower() : QString();
        QKeyEvent event(type, code, Qt::NoModifier, text, autoRepeat);
        event.setTimestamp(static_cast<quint64>((armedAtUs + static_cast<std::int64_t>(msAfterArming * 1000)) / 1000));
        QCoreApplication::sendEvent(window.windowHandle(), &event);
    }
    void press(Qt::Key code, double ms, bool autoRepeat = false) { key(QEvent::KeyPress, code, ms, autoRepeat); }
    void release(Qt::Key code, double ms) { key(QEvent::KeyRelease, code, ms); }
    void arm()
    {
        armedAtUs = clock.nowMicroseconds();
        guard.arm();
    }
    // The clock reaches `ms` after arming: events are handled at least that late.
    void at(double ms) { clock.setMicroseconds(armedAtUs + static_cast<std::int64_t>(ms * 1000)); }
    bool inputMethodOn() const { return box->testAttribute(Qt::WA_InputMethodEnabled); }

    FakeClock clock;
    EventClock times{clock};
    QWidget window;
    QLineEdit* box = new QLineEdit(&window);
    bool keyHeld = false;  // what the window system says about the keyboard now
    int heldQuestions = 0;
    LeftoverKeyGuard guard{window, *box, times, [this] {
                               ++heldQuestions;
                               return keyHeld;
                           }};
    std::int64_t armedAtUs = 0;
};

// A key counts by when it went down (its stamp), not by when the window got round to it.
TEST_F(LeftoverKeys, aKeyPressedWithinTheGuardStaysOutAndOneJustAfterItGoesIn)
{
    // The first 400 ms: long enough for the letters still flying from the game, short enough
    // not to swallow the name the player starts to type.
    constexpr int guardMs = 400;
    struct Case {
        const char* what;
        double stampedMs;
        double handledMs;
        bool goesIn;
    };
    const Case cases[] = {
        {"typed into the game before the window opened", -30, 5, false},
        {"at once", 2, 2, false},
        {"in the guard's last millisecond", guardMs - 1, guardMs - 1, false},
        {"in the guard's last millisecond, handled after it", guardMs - 1, guardMs + 50, false},
        {"just after the guard", guardMs, guardMs, true},
    };
    const std::int64_t start = clock.nowMicroseconds();
    for (const Case& c : cases) {
        clock.setMicroseconds(start);
        arm();
        box->clear();
        at(c.handledMs);
        press(Qt::Key_G, c.stampedMs);
        EXPECT_EQ(box->text(), c.goesIn ? "g" : "") << c.what;
        EXPECT_EQ(guard.armed(), !c.goesIn) << c.what;
        EXPECT_EQ(inputMethodOn(), c.goesIn) << c.what << ": no composition may grow from a leftover letter";
        release(Qt::Key_G, c.handledMs + 1);
    }
}

// The desktop's repeat delay (660 ms on a bare X server) is often longer than the guard: a key
// held since the game's last stop starts repeating only after the guard has let go.
TEST_F(LeftoverKeys, aKeyHeldFromBeforeThatRepeatsOnlyAfterTheGuardStaysOutUntilItIsUp)
{
    enum class Repeat { MarkedByQt, ReadApartFromItsRelease };
    for (const Repeat kind : {Repeat::MarkedByQt, Repeat::ReadApartFromItsRelease}) {
        box->clear();
        arm();
        at(LeftoverKeyGuard::kGuardMs + 1);
        ASSERT_TRUE(QTest::qWaitFor([this] { return !guard.armed(); })) << "the guard's own timer lets go";
        ASSERT_TRUE(inputMethodOn());

        for (int ms = 660; ms <= 900; ms += 40) {
            at(ms);
            const bool markedByQt = kind == Repeat::MarkedByQt;
            key(QEvent::KeyRelease, Qt::Key_G, ms, markedByQt);
            press(Qt::Key_G, ms, markedByQt);
            QInputMethodEvent composed;
            composed.setCommitString(QStringLiteral("g"));
            QCoreApplication::sendEvent(box, &composed);
        }
        EXPECT_EQ(box->text(), "");
        EXPECT_TRUE(guard.armed());
        EXPECT_FALSE(inputMethodOn()) << "the held key is still down";

        at(950);
        release(Qt::Key_G, 950);
        EXPECT_FALSE(guard.armed());
        EXPECT_TRUE(inputMethodOn());
        at(1000);
        press(Qt::Key_G, 1000);
        EXPECT_EQ(box->text(), "g") << "pressed again, the key goes in";
        release(Qt::Key_G, 1010);
    }
}

TEST_F(LeftoverKeys, repeatsOfAKeyHeldDownFromBeforeStayOutEvenLaterWhileFreshRepeatsGoIn)
{
    arm();
    for (int i = 1; i <= 30; ++i) {
        at(i * 33);
        key(QEvent::KeyRelease, Qt::Key_Z, i * 33, true);  // X11 pairs each repeat with a release
        press(Qt::Key_Z, i * 33, true);
    }
    EXPECT_EQ(box->text(), "");
    EXPECT_FALSE(inputMethodOn()) << "the held key is still down";

    at(1200);
    release(Qt::Key_Z, 1200);
    EXPECT_TRUE(inputMethodOn()) << "every leftover key is up";
    EXPECT_FALSE(guard.armed());

    press(Qt::Key_B, 1300);
    press(Qt::Key_B, 1330, true);
    press(Qt::Key_Q, 1340, true);  // a repeat whose press never came here
    EXPECT_EQ(box->text(), "bb");
}

// Where an input method takes a key before the window sees it, no repeat tells the guard of a key
// held from before: at its end it asks the window system whether a key is down.
TEST_F(LeftoverKeys, aKeyStillDownWhenTheGuardEndsKeepsItOnUntilTheKeyIsUp)
{
    keyHeld = true;
    arm();
    at(LeftoverKeyGuard::kGuardMs + 1);
    ASSERT_TRUE(QTest::qWaitFor([this] { return heldQuestions >= 2; })) << "asked at the end and again";
    EXPECT_TRUE(guard.armed());
    EXPECT_FALSE(inputMethodOn());
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("g"));
    QCoreApplication::sendEvent(box, &composed);
    EXPECT_EQ(box->text(), "");

    keyHeld = false;
    ASSERT_TRUE(QTest::qWaitFor([this] { return !guard.armed(); }));
    EXPECT_TRUE(inputMethodOn());

    // Once the player types afresh, a key down is the player's own: nothing is asked.
    arm();
    keyHeld = true;
    heldQuestions = 0;
    at(500);
    press(Qt::Key_A, 500);
    EXPECT_EQ(box->text(), "a");
    EXPECT_FALSE(guard.armed());
    EXPECT_EQ(heldQuestions, 0);
}

TEST_F(LeftoverKeys, inputMethodTextDoesNotReachTheBoxWhileGuarded)
{
    arm();
    at(10);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("らりるれろ"));
    QCoreApplication::sendEvent(box, &commit);
    EXPECT_EQ(box->text(), "");

    at(LeftoverKeyGuard::kGuardMs + 10);
    press(Qt::Key_N, LeftoverKeyGuard::kGuardMs + 10);
    QInputMethodEvent later;
    later.setCommitString(QStringLiteral("名"));
    QCoreApplication::sendEvent(box, &later);
    EXPECT_EQ(box->text(), "n名");
}

TEST_F(LeftoverKeys, aWindowThatWasNeverArmedTakesEveryKey)
{
    armedAtUs = clock.nowMicroseconds();
    press(Qt::Key_A, 0);
    press(Qt::Key_A, 30, true);
    EXPECT_EQ(box->text(), "aa");
    EXPECT_TRUE(inputMethodOn());
}

TEST_F(LeftoverKeys, armingAgainWhenTheWindowIsBroughtForwardKeepsWhatWasTypedAndGuardsAnew)
{
    arm();
    at(500);
    press(Qt::Key_A, 500);
    ASSERT_EQ(box->text(), "a");
    arm();
    at(20);
    press(Qt::Key_K, 20);
    EXPECT_EQ(box->text(), "a");
    EXPECT_TRUE(guard.armed());
}

} // namespace

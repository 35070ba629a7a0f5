#include "ui/LeftoverKeyGuard.h"

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
    LeftoverKeyGuard guard{window, *box, times};
    std::int64_t armedAtUs = 0;
};

TEST_F(LeftoverKeys, keysOfTheFirstMomentsAndKeysPressedBeforeTheWindowCameUpStayOut)
{
    arm();
    at(5);
    press(Qt::Key_R, -30);  // typed into the game, handled after the window came up
    press(Qt::Key_S, 2);
    at(LeftoverKeyGuard::kGuardMs - 1);
    press(Qt::Key_T, LeftoverKeyGuard::kGuardMs - 1);
    EXPECT_EQ(box->text(), "");
    EXPECT_TRUE(guard.armed());
    EXPECT_FALSE(inputMethodOn()) << "no composition may grow from the leftover letters";

    at(LeftoverKeyGuard::kGuardMs + 50);
    press(Qt::Key_A, LeftoverKeyGuard::kGuardMs + 50);
    EXPECT_EQ(box->text(), "a") << "a key pressed afresh after the first moments goes in";
    EXPECT_FALSE(guard.armed());
    EXPECT_TRUE(inputMethodOn());
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

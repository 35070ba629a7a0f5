#include "ui/GuardedApplication.h"

#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class ThrowingObject : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("the handler broke");
        return QObject::event(event);
    }
};

// The tests run under the program's own application class, so every widget test also sees that
// it delivers events. An exception out of a handler is said on stderr and in a box, which the
// player closes, and the program ends with a failure.
TEST(GuardedApplicationDeathTest, anExceptionOutOfAnEventHandlerIsNamedAndEndsTheProgram)
{
    ASSERT_NE(dynamic_cast<GuardedApplication*>(qApp), nullptr);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QTimer player;
            QObject::connect(&player, &QTimer::timeout, [] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->accept();
            });
            player.start(10);
            ThrowingObject object;
            QEvent event(QEvent::User);
            QCoreApplication::sendEvent(&object, &event);
        },
        ::testing::ExitedWithCode(1), "zumikko: the handler broke");
}

} // namespace

#include "ui/CommandKeys.h"

#include <QAction>
#include <QHelpEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

// The pointer over a command shows that command's tooltip, which names its key, and nothing
// else: neither the bar nor the window behind it adds a tooltip of its own.
TEST(CommandKeys, thePointerOverACommandShowsItsKeyAndElsewhereOnTheBarNothing)
{
    QMainWindow window;
    window.setToolTip(QStringLiteral("the window's own"));
    QMenuBar* bar = window.menuBar();
    bar->setNativeMenuBar(false);
    QAction* score = bar->addAction(QStringLiteral("スコアランキング"));
    QAction* version = bar->addAction(QStringLiteral("バージョン情報"));
    QWidget home;
    window.setCentralWidget(&home);
    CommandKeys keys(*bar, {{score, QKeySequence(Qt::CTRL | Qt::Key_R)}, {version, QKeySequence(Qt::Key_F1)}}, home);
    window.resize(400, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const auto hover = [bar](QPoint at) {
        QHelpEvent event(QEvent::ToolTip, at, bar->mapToGlobal(at));
        QCoreApplication::sendEvent(bar, &event);
    };
    hover(bar->actionGeometry(version).center());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("バージョン情報 (F1)"));
    hover(bar->actionGeometry(score).center());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("スコアランキング (Ctrl+R)"));

    const QRect last = bar->actionGeometry(version);
    ASSERT_LT(last.right() + 10, bar->width());
    hover(QPoint(last.right() + 10, last.center().y()));
    QTRY_VERIFY(!QToolTip::isVisible());
}

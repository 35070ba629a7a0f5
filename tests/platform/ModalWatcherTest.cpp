#include "platform/ModalWatcher.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(ModalWatcher, seesAnyModalBoxOpenAndCloseWhoeverOpensIt)
{
    int changes = 0;
    ModalWatcher watcher([&] { ++changes; });
    EXPECT_FALSE(watcher.modalOpen());

    QWidget plain;
    plain.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
    QCoreApplication::processEvents();
    EXPECT_EQ(changes, 0) << "a window that is not modal changes nothing";
    EXPECT_FALSE(watcher.modalOpen());

    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    EXPECT_TRUE(watcher.modalOpen());
    QTRY_COMPARE(changes, 1);
    dialog.hide();
    EXPECT_FALSE(watcher.modalOpen());
    QTRY_COMPARE(changes, 2);

    // A message box run in its own event loop, as the program's problem reports are.
    bool openInside = false;
    QTimer::singleShot(0, [&] {
        openInside = watcher.modalOpen();
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    QMessageBox::information(nullptr, QStringLiteral("t"), QStringLiteral("m"));
    EXPECT_TRUE(openInside);
    QTRY_COMPARE(changes, 4);
    EXPECT_FALSE(watcher.modalOpen());
}

} // namespace

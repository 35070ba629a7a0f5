#include "ui/GuardedApplication.h"

#include "platform/PlainMessageBox.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

GuardedApplication::GuardedApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        reportFatal(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        reportFatal(QStringLiteral("不明なエラー"));
    }
    return false;
}

void GuardedApplication::reportFatal(const QString& what)
{
    std::fprintf(stderr, "zumikko: %s\n", what.toLocal8Bit().constData());
    PlainMessageBox::showFatal(QStringLiteral("エラーが発生したため終了します。\n") + what);
    std::_Exit(EXIT_FAILURE);
}

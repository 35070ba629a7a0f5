#include "platform/DesktopShell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

void DesktopShell::openUrl(const std::string& address)
{
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address), QUrl::StrictMode));
}

#include "platform/ClockSeededRandom.h"
#include "platform/DesktopShell.h"
#include "platform/GuardedApplication.h"
#include "platform/SdlAudioSystem.h"
#include "platform/SdlMediaDevice.h"
#include "platform/SteadyClock.h"
#include "platform/Fonts.h"
#include "ui/MainWindow.h"

#include <QIcon>

#include <exception>

int main(int argc, char** argv)
{
    Q_INIT_RESOURCE(artwork);
    GuardedApplication app(argc, argv);
    try {
        QApplication::setApplicationName(QStringLiteral("Zumikko"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/icon.png")));
        QApplication::setFont(gothicFont(9));

        SteadyClock clock;
        ClockSeededRandom random(clock);
        DesktopShell shell;
        SdlAudioSystem audio;
        SdlMediaDevice mciStart(audio);
        SdlMediaDevice mciKaiten(audio);
        SdlMediaDevice mciBGM(audio);
        SdlMediaDevice mciGoal(audio);

        MainWindow frmMain({mciStart, mciKaiten, mciBGM, mciGoal}, clock, random, shell,
                           QCoreApplication::applicationDirPath().toStdString());
        frmMain.show();
        frmMain.startUp();
        return QApplication::exec();
    } catch (const std::exception& error) {
        GuardedApplication::reportFatal(QString::fromLocal8Bit(error.what()));
    }
    return 1;
}

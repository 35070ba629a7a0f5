#include "platform/ClockSeededRandom.h"
#include "platform/DesktopShell.h"
#include "platform/GuardedApplication.h"
#include "platform/SdlAudioSystem.h"
#include "platform/SdlMediaDevice.h"
#include "platform/SteadyClock.h"
#include "platform/TerminationSignals.h"
#include "platform/Fonts.h"
#include "ui/MainWindow.h"

#include <QIcon>

#include <exception>

int main(int argc, char** argv)
{
    Q_INIT_RESOURCE(artwork);
    GuardedApplication app(argc, argv);
    // Before anything that can take long or open a box, so that an ending session always ends
    // the program cleanly.
    TerminationSignals terminationSignals;
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
        QObject::connect(&terminationSignals, &TerminationSignals::received, &frmMain, &MainWindow::endProgram);
        frmMain.show();
        frmMain.startUp();
        // A signal that came while a start-up message was open has already ended the program.
        if (frmMain.ended())
            return 0;
        return QApplication::exec();
    } catch (const std::exception& error) {
        GuardedApplication::reportFatal(QString::fromLocal8Bit(error.what()));
    }
    return 1;
}

#include "platform/ClockSeededRandom.h"
#include "platform/DataDirectory.h"
#include "platform/FirstExposure.h"
#include "platform/DesktopShell.h"
#include "platform/GuardedApplication.h"
#include "platform/SdlAudioSystem.h"
#include "platform/CachingMidiRenderer.h"
#include "platform/SdlMediaDevice.h"
#include "platform/SteadyClock.h"
#include "platform/TerminationSignals.h"
#include "platform/Fonts.h"
#include "record/ProblemBox.h"
#include "record/RecordLocation.h"
#include "ui/MainWindow.h"

#include <QIcon>
#include <QStandardPaths>

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
        // Desktops match the windows to the menu entry and its icon by this name.
        QGuiApplication::setDesktopFileName(QStringLiteral(ZUMIKKO_APP_ID));
        QApplication::setFont(gothicFont(9));

        const std::string programDirectory = QCoreApplication::applicationDirPath().toStdString();
        const std::string dataDirectory = DataDirectory::find(programDirectory, ZUMIKKO_RELATIVE_DATA_DIR);
        const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        const RecordLocation record = RecordLocation::choose(
            programDirectory, dataHome.isEmpty() ? std::string() : (dataHome + QStringLiteral("/zumikko")).toStdString(),
            dataDirectory + "/score.dat");

        SteadyClock clock;
        ClockSeededRandom random(clock);
        DesktopShell shell;
        SdlAudioSystem audio;
        SdlMediaDevice mciStart(audio);
        SdlMediaDevice mciKaiten(audio);
        // Music rendered once is read back from the player's cache on later launches.
        const auto music = std::make_shared<CachingMidiRenderer>(std::make_shared<MidiRenderer>(),
                                                                 MusicCache(MusicCache::defaultDirectory()));
        SdlMediaDevice mciBGM(audio, music);
        SdlMediaDevice mciGoal(audio, music);

        MainWindow frmMain({mciStart, mciKaiten, mciBGM, mciGoal}, clock, random, shell, dataDirectory,
                           record.path());
        QObject::connect(&terminationSignals, &TerminationSignals::received, &frmMain, &MainWindow::endProgram);
        frmMain.show();
        // A message box at start-up must find the main window on screen to stand over it.
        new FirstExposure(frmMain, [&frmMain, &record] {
            if (!record.problem().empty())
                showProblemBox(&frmMain, QString::fromStdString(record.problem()));
            // A signal that came while that message was open has already ended the program.
            if (!frmMain.ended())
                frmMain.startUp();
        });
        return QApplication::exec();
    } catch (const std::exception& error) {
        GuardedApplication::reportFatal(QString::fromLocal8Bit(error.what()));
    }
    return 1;
}

#include "App.h"
#include "platform/CachingMidiRenderer.h"
#include "platform/ClockSeededRandom.h"
#include "platform/DataDirectory.h"
#include "platform/DesktopShell.h"
#include "platform/FirstExposure.h"
#include "platform/Fonts.h"
#include "platform/PlayerDataHome.h"
#include "platform/ProgramDirectory.h"
#include "platform/SdlAudioSystem.h"
#include "platform/SdlMediaDevice.h"
#include "platform/SteadyClock.h"
#include "platform/TerminationSignals.h"
#include "ProgramInfo.h"
#include "record/RecordLocation.h"
#include "ui/CommandLine.h"
#include "ui/GuardedApplication.h"

#include <QIcon>

#include <exception>
#include <optional>

int main(int argc, char** argv)
{
    if (const std::optional<int> status = CommandLine::handle(argc, argv))
        return *status;
    Q_INIT_RESOURCE(artwork);
    // Qt's shared-memory images make it wait for a round trip to the X server before it paints
    // again where the server may still be reading. The marquee paints the same few cells twenty
    // times a second, so at rest those waits were most of the program's CPU; updates this small
    // cost less through the socket. A player's own setting is kept.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    GuardedApplication app(argc, argv);
    // Before anything that can take long or open a box, so that an ending session always ends
    // the program cleanly.
    TerminationSignals terminationSignals;
    try {
        QApplication::setApplicationName(QStringLiteral("Zumikko"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/icon.png")));
        // Desktops match the windows to the menu entry and its icon by this name.
        QGuiApplication::setDesktopFileName(QString::fromUtf8(ProgramInfo::kApplicationId));
        QApplication::setFont(gothicFont(9));

        const std::string programDirectory = ProgramDirectory::ofThisProcess();
        const std::string dataDirectory = DataDirectory::find(programDirectory, ProgramInfo::kRelativeDataDirectory);
        const RecordLocation record = RecordLocation::choose(
            programDirectory, PlayerDataHome::recordDirectoryOfThisProcess(), dataDirectory + "/score.dat");

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

        App game({mciStart, mciKaiten, mciBGM, mciGoal}, clock, random, shell, dataDirectory, record.path());
        game.endOn(terminationSignals);
        game.launch(record.problem());
        return QApplication::exec();
    } catch (const std::exception& error) {
        GuardedApplication::reportFatal(QString::fromLocal8Bit(error.what()));
    }
    return 1;
}

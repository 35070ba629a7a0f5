// Measures the reel loop as the game runs it: the main window's precise single-shot timer on
// Qt's event loop, offscreen. For each tick delay it reports the achieved period between reel
// ticks; then the time one tick's work takes, and the process CPU while the reel runs and while
// it stands still with only the window's two decorative timers.

#include "App.h"
#include "fakes/FakeGameView.h"
#include "fakes/TemporaryDirectory.h"
#include "game/Game.h"
#include "platform/SteadyClock.h"
#include "platform/SurfaceWidget.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <numeric>
#include <vector>

namespace {

class SilentDevice final : public MediaDevice {
public:
    void setFileName(const std::string&) override {}
    void command(MediaCommand) override {}
};

class NoShell final : public Shell {
public:
    void openUrl(const std::string&) override {}
};

// The reel asks for one random number per tick: that call is the tick's timestamp. The first
// `hits` answers slow the reel down to the delay under test; after that it never stops.
class TickRecorder final : public RandomSource {
public:
    TickRecorder(const Clock& clock, int hits) : clock_(clock), hits_(hits) {}
    double next() override
    {
        ticks.push_back(clock_.nowMicroseconds());
        if (hits_ > 0) {
            --hits_;
            return 0.0;
        }
        return 0.5;
    }
    void reseed() override {}

    std::vector<std::int64_t> ticks;

private:
    const Clock& clock_;
    int hits_;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Window {
    explicit Window(RandomSource& random)
    {
        std::ofstream(directory.path() + "/score.dat", std::ios::binary) << "\"\"\r\n\"0\"\r\n";
        app = std::make_unique<App>(App::Devices{device, device, device, device}, clock, random, shell,
                                    directory.path(), directory.path() + "/score.dat");
        window = &app->window();
        window->show();
        app->startUp();
    }
    TemporaryDirectory directory;
    SteadyClock clock;
    SilentDevice device;
    NoShell shell;
    std::unique_ptr<App> app;
    MainWindow* window = nullptr;
};

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const std::size_t index = std::min(values.size() - 1, static_cast<std::size_t>(p * values.size()));
    return values[index];
}

double tickWorkMicroseconds()
{
    // The rules' part of a tick on a real-size surface: two masked blits, the stop roll, the
    // rotation step.
    SteadyClock clock;
    TickRecorder random(clock, 0);
    FakeGameView view;
    SilentDevice device;
    SoundCues sounds(device, device, device, device);
    TemporaryDirectory directory;
    ScoreFile file(directory.path() + "/score.dat");
    Surface strip(957, 32, 0xFF8040), mask(957, 32, 0xFFFFFF), reel(137, 33, 0xFFFFFF);
    Game game(view, sounds, clock, random, file, {reel, strip, mask});
    game.start();
    constexpr int kTicks = 200'000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kTicks; ++i)
        game.reelTick();
    return timer.nsecsElapsed() / 1e3 / kTicks;
}

double reelRepaintMicroseconds()
{
    SteadyClock clock;
    TickRecorder random(clock, 0);
    Window w(random);
    runEventLoopFor(300);  // let the window be exposed, so repaints really paint
    constexpr int kRepaints = 5'000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRepaints; ++i)
        w.window->reelWindow()->repaint();
    return timer.nsecsElapsed() / 1e3 / kRepaints;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(artwork);
    QApplication app(argc, argv);
    const int ticksPerDelay = argc > 1 ? std::atoi(argv[1]) : 150;

    std::printf("reel tick period on the event loop (%d ticks each)\n", ticksPerDelay);
    std::printf("%8s %10s %10s %10s %10s\n", "delay", "mean", "p99", "max", "mean-delay");
    for (int delay = 5; delay <= 37; delay += 4) {
        SteadyClock clock;
        const int hits = (delay - 5) / 4;
        TickRecorder random(clock, hits);
        Window w(random);
        w.window->startButton()->click();
        while (static_cast<int>(random.ticks.size()) < hits + 1 + ticksPerDelay)
            runEventLoopFor(50);
        std::vector<double> periods;
        for (std::size_t i = hits + 1; i + 1 < random.ticks.size(); ++i)
            periods.push_back((random.ticks[i + 1] - random.ticks[i]) / 1000.0);
        const double mean = std::accumulate(periods.begin(), periods.end(), 0.0) / periods.size();
        std::printf("%6d ms %7.3f ms %7.3f ms %7.3f ms %+8.3f ms\n", delay, mean, percentile(periods, 0.99),
                    percentile(periods, 1.0), mean - delay);
    }

    std::printf("\none reel tick's work (rules only): %.2f us\n", tickWorkMicroseconds());
    std::printf("one repaint of the reel window (offscreen): %.2f us\n", reelRepaintMicroseconds());

    {
        SteadyClock clock;
        TickRecorder random(clock, 0);
        Window w(random);
        runEventLoopFor(500);
        double before = cpuSeconds();
        runEventLoopFor(5000);
        std::printf("\nCPU while the reel stands still (timers only): %.2f %% of a core\n",
                    (cpuSeconds() - before) / 5.0 * 100);
        w.window->startButton()->click();
        runEventLoopFor(500);
        before = cpuSeconds();
        runEventLoopFor(5000);
        std::printf("CPU while the reel runs at 5 ms a tick: %.2f %% of a core\n", (cpuSeconds() - before) / 5.0 * 100);
    }
    return 0;
}

// Presents reel-sized pictures the way the game presents its stops, at random moments, and
// prints how long after the server's stamp (the moment it had the picture) the completion came:
// the display's own delay that a stop's time now includes; under a compositing manager that
// reports its frames, also how long after the completion the reported presentation came. Needs
// an X server, e.g.
//     xvfb-run -a build/bench/present_delay/present_delay [stops, default 100]
#include "platform/EventClock.h"
#include "platform/SteadyClock.h"
#include "platform/SurfaceWidget.h"
#include "platform/X11ScreenPresenter.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <vector>

namespace {

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    const int stops = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;

    QWidget window;
    // Fixed in size as the game's window: only such a window gets a frame counter.
    window.setFixedSize(200, 90);
    SurfaceWidget reel(137, 33, 0x000000, &window);
    reel.move(23, 41);
    window.show();
    for (int i = 0; i < 500 && !(window.windowHandle() && window.windowHandle()->isExposed()); ++i)
        waitMs(10);

    const SteadyClock clock;
    EventClock times(clock);
    auto presenter = X11ScreenPresenter::createFor(reel, times);
    if (!presenter) {
        std::fprintf(stderr, "present_delay: not on X11\n");
        return 1;
    }
    std::vector<double> delaysMs;
    std::vector<double> presentedAfterMs;
    int composited = 0;
    presenter->setObserver([&](const X11ScreenPresenter::Outcome& outcome) {
        if (outcome.completedAtUs && outcome.serverHadItAtUs)
            delaysMs.push_back((*outcome.completedAtUs - *outcome.serverHadItAtUs) / 1000.0);
        if (outcome.source == X11ScreenPresenter::Source::Presentation && outcome.completedAtUs)
            presentedAfterMs.push_back((outcome.shownAtUs - *outcome.completedAtUs) / 1000.0);
        composited += outcome.composited ? 1 : 0;
    });

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> pause(40, 160);
    for (int stop = 0; stop < stops; ++stop) {
        reel.surface().fill(static_cast<std::uint32_t>(0x102030 + stop));
        bool settled = false;
        presenter->present([&](std::int64_t) { settled = true; });
        for (int i = 0; i < 300 && !settled; ++i)
            waitMs(5);
        waitMs(pause(random));
    }

    const X11ScreenPresenter::Tally& tally = presenter->tally();
    std::printf("present_delay: %d stops; Present %s; the compositor's presentation %d, completions %d (under a "
                "compositing manager %d), fallbacks to the server's stamp %d, to the flush %d; under a compositing "
                "manager %d in all\n",
                stops, presenter->usesPresent() ? "used" : "not offered", tally.presentations, tally.completions,
                tally.composited, tally.serverStampFallbacks, tally.flushFallbacks, composited);
    if (!presentedAfterMs.empty()) {
        std::sort(presentedAfterMs.begin(), presentedAfterMs.end());
        const double mean = std::accumulate(presentedAfterMs.begin(), presentedAfterMs.end(), 0.0)
                            / static_cast<double>(presentedAfterMs.size());
        std::printf("presentation - completion, ms: mean %.2f, min %.2f, max %.2f\n", mean, presentedAfterMs.front(),
                    presentedAfterMs.back());
    }
    if (delaysMs.empty())
        return 0;
    std::sort(delaysMs.begin(), delaysMs.end());
    const double n = static_cast<double>(delaysMs.size());
    const double mean = std::accumulate(delaysMs.begin(), delaysMs.end(), 0.0) / n;
    double squares = 0;
    for (double d : delaysMs)
        squares += (d - mean) * (d - mean);
    const auto at = [&](double q) { return delaysMs[static_cast<std::size_t>(q * (n - 1))]; };
    std::printf("completion - server's stamp (its millisecond's middle), ms: mean %.2f, sd %.2f, min %.2f, "
                "median %.2f, p95 %.2f, max %.2f\n",
                mean, std::sqrt(squares / n), delaysMs.front(), at(0.5), at(0.95), delaysMs.back());
    return 0;
}

// How honest is the game's reaction time? Runs the real program on an X server of its own,
// sees each stop picture arrive in the server's framebuffer (XDamage), presses the letter
// with XTest a random 150-400 ms later, and compares what the game added to its score with
// the true interval between the two, both taken on the server's clock.
//
//   reaction_accuracy [--games N] [--label TEXT] [--seed N] [--verbose] [--mask mask.png] ZUMIKKO
//
// ZUMIKKO must be zumikko_reaction_probe (built beside the game), which prints the counters'
// captions on stderr; reaction-accuracy.sh builds it and runs the load conditions.

#include "bench/reaction_accuracy/ChildProcess.h"
#include "bench/reaction_accuracy/ReactionSession.h"
#include "bench/reaction_accuracy/ReelPattern.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <unistd.h>

volatile std::sig_atomic_t benchInterrupted = 0;

namespace {

namespace fs = std::filesystem;

void onSignal(int)
{
    benchInterrupted = 1;
}

struct Options {
    int games = 3;
    std::string label = "no extra load";
    unsigned long long seed = 0;
    bool verbose = false;
    std::string mask = ZUMIKKO_ASSETS_DIR "/mask.png";
    std::string program;
};

Options parse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw std::runtime_error(a + " needs a value");
            return argv[++i];
        };
        if (a == "--games")
            o.games = std::stoi(value());
        else if (a == "--label")
            o.label = value();
        else if (a == "--seed")
            o.seed = std::stoull(value());
        else if (a == "--mask")
            o.mask = value();
        else if (a == "--verbose")
            o.verbose = true;
        else if (!a.empty() && a[0] != '-')
            o.program = a;
        else
            throw std::runtime_error("unknown option " + a);
    }
    if (o.program.empty())
        throw std::runtime_error("usage: reaction_accuracy [--games N] [--label TEXT] [--seed N] [--verbose] "
                                 "[--mask mask.png] path/to/zumikko");
    return o;
}

// A directory with the program, its sounds and a record nobody can beat, so that every game ends
// with the score message and never with the name-entry window.
char copyDirectory[] = "/tmp/zumikko-reaction.XXXXXX";

// Xlib ends the process when the server goes away; the copy must not stay behind then.
int onLostServer(Display*)
{
    std::error_code ignored;
    fs::remove_all(copyDirectory, ignored);
    std::fprintf(stderr, "reaction_accuracy: lost the X server\n");
    std::_Exit(1);
}

struct ProgramCopy {
    explicit ProgramCopy(const fs::path& program)
    {
        if (!mkdtemp(copyDirectory))
            throw std::runtime_error("mkdtemp failed");
        directory = copyDirectory;
        XSetIOErrorHandler(onLostServer);
        fs::copy_file(program, directory / "zumikko");
        for (const char* name : {"start.wav", "kaiten.wav", "bgm.mid", "goal.mid"})
            if (fs::exists(program.parent_path() / name))
                fs::copy_file(program.parent_path() / name, directory / name);
        std::ofstream(directory / "score.dat", std::ios::binary) << "\"bench\"\r\n\"1\"\r\n";
    }
    ~ProgramCopy()
    {
        std::error_code ignored;
        fs::remove_all(directory, ignored);
    }
    fs::path directory;
};

std::string startXvfb(std::unique_ptr<ChildProcess>& server)
{
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    ChildProcess::Options options;
    options.keepOpenFd = fds[1];
    server = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp", "-noreset"},
        options);
    close(fds[1]);
    std::string number;
    const std::int64_t deadline = ReactionSession::nowUs() + 15'000'000;
    while (number.find('\n') == std::string::npos && ReactionSession::nowUs() < deadline && !benchInterrupted) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            char c[16];
            const ssize_t n = read(fds[0], c, sizeof c);
            if (n <= 0)
                break;
            number.append(c, static_cast<std::size_t>(n));
        }
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos)
        throw std::runtime_error("Xvfb did not start");
    return ":" + number.substr(0, number.find('\n'));
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const std::size_t rank = static_cast<std::size_t>(std::ceil(p * values.size()));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

void report(const Options& options, const std::vector<StopRecord>& records, const std::string& priority)
{
    std::vector<double> wakeUps;
    for (const StopRecord& r : records)
        wakeUps.push_back(static_cast<double>(r.wakeLateUs));
    const double wakeUpUs = wakeUps.empty() ? 0 : percentile(wakeUps, 0.5);

    std::vector<double> errors, floors;
    int misses = 0, offStops = 0, doublePaints = 0;
    for (const StopRecord& r : records) {
        const double truth = r.trueIntervalMs(wakeUpUs);
        if (options.verbose) {
            const std::string reported = r.reportedMs < 0 ? "not added" : std::to_string(r.reportedMs) + " ms";
            std::printf("  game %d stop %2d: %c at offset %3d, true %8.3f ms, reported %-9s", r.game, r.stop,
                        ReelPattern::stopLetter(r.offset), r.offset, truth, reported.c_str());
            if (r.reportedMs >= 0)
                std::printf(" error %+7.3f ms, floor +-%.3f ms (key %.3f, stop %.3f wide)", r.reportedMs - truth,
                            r.floorMs(), (r.keyLatest() - r.keyEarliest()) / 1000.0,
                            (r.stopLatest() - r.stopEarliest()) / 1000.0);
            std::printf("%s%s\n", r.miss ? "  MISS" : "", r.reelPaintsAtStop > 1 ? "  (two reel paints)" : "");
        }
        if (!ReelPattern::isStopOffset(r.offset) || r.wrongPixels > 0)
            ++offStops;
        if (r.reelPaintsAtStop > 1)
            ++doublePaints;
        if (r.miss) {
            ++misses;
            continue;
        }
        if (r.reportedMs < 0)
            continue;  // the tenth stop's time is never added
        errors.push_back(r.reportedMs - truth);
        floors.push_back(r.floorMs());
    }
    std::printf("%s: %d games, %zu timed stops\n", options.label.c_str(), options.games, errors.size());
    if (errors.empty()) {
        std::printf("  no stop could be timed\n");
        return;
    }
    std::vector<double> magnitudes;
    for (double e : errors)
        magnitudes.push_back(std::fabs(e));
    const auto mean = [](const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0) / v.size(); };
    const double worst = *std::max_element(errors.begin(), errors.end(),
                                           [](double a, double b) { return std::fabs(a) < std::fabs(b); });
    std::printf("  error per stop, reported - true: mean %+.2f ms, median %+.2f ms, p95 |error| %.2f ms, "
                "worst %+.2f ms\n",
                mean(errors), percentile(errors, 0.5), percentile(magnitudes, 0.95), worst);
    std::printf("  method's floor: true interval proven to +-%.2f ms on average, +-%.2f ms at most "
                "(the score itself counts whole ms)\n",
                mean(floors), *std::max_element(floors.begin(), floors.end()));
    std::printf("  stop and key each taken %.3f ms before this process woke to them (its median wake-up); "
                "priority %s\n",
                wakeUpUs / 1000, priority.c_str());
    if (misses || offStops || doublePaints)
        std::printf("  warnings: %d stops counted as misses, %d stop pictures not at a stop offset, "
                    "%d stops with two reel paints\n",
                    misses, offStops, doublePaints);
}

// The measuring side should not wait behind the load it measures under; the game and the
// server keep their ordinary priority.
std::string raisePriority()
{
    sched_param param{};
    param.sched_priority = 10;
    if (sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0)
        return "SCHED_FIFO";
    if (nice(-10) != -1 || errno == 0)
        return "nice -10";
    return "ordinary";
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const Options options = parse(argc, argv);
        struct sigaction action{};
        action.sa_handler = onSignal;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGHUP, &action, nullptr);
        std::signal(SIGPIPE, SIG_IGN);

        const ReelPattern pattern = ReelPattern::fromMaskFile(options.mask);
        std::unique_ptr<ChildProcess> server;
        const std::string display = startXvfb(server);
        ProgramCopy copy(fs::absolute(options.program));

        int probe[2];
        if (pipe2(probe, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        fcntl(probe[0], F_SETFL, O_NONBLOCK);
        ReactionSession session(display, probe[0], pattern);
        ChildProcess::Options gameOptions;
        gameOptions.environment = {"DISPLAY=" + display, "SDL_AUDIODRIVER=dummy", "QT_QPA_PLATFORM=xcb"};
        gameOptions.stderrFd = probe[1];
        ChildProcess game({(copy.directory / "zumikko").string()}, gameOptions);
        close(probe[1]);

        session.attach(30, [&] { return game.running(); });
        const std::string priority = raisePriority();
        std::mt19937_64 random(options.seed ? options.seed : std::random_device{}());
        std::vector<StopRecord> records;
        for (int g = 1; g <= options.games; ++g)
            session.playGame(g, random, 150, 400, records);
        report(options, records, priority);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "reaction_accuracy: %s\n", error.what());
        return 1;
    }
}

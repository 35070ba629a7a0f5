// Measures, on SDL's dummy audio driver, how long a Play of the start sound takes to reach the
// mixed output, and how long opening the two MIDI files takes to return and to finish rendering.
//
//   audio_latency [start.wav [bgm.mid [goal.mid]]] [--repeat N] [--buffer FRAMES]
//                 [--capture [--no-rest]] [--cache DIRECTORY] [--play-after MS]
//
// --cache renders through the music cache in DIRECTORY, as the game does: the first run with an
// empty DIRECTORY shows a first launch (Play while the song still renders), the second a warm cache.
// --play-after sends the MIDI files' Play that long after their Open (default: at once).
// --capture measures the whole way to the sound server instead: Play to the sound arriving at
// the default capture source, after the output has been silent long enough for the mixer to
// rest. Run it through PulseAudio or PipeWire with a null sink, e.g.
//   pactl load-module module-null-sink sink_name=null
//   SDL_AUDIODRIVER=pulseaudio PULSE_SINK=null PULSE_SOURCE=null.monitor audio_latency --capture
// and once more with --no-rest (the mixer running all the time) to compare.
//
// Files default to the source tree's assets; a missing one is replaced by a generated stand-in.

#include "bench/audio_latency/CapturedOnsetWatcher.h"
#include "bench/audio_latency/OutputOnsetWatcher.h"
#include "platform/CachingMidiRenderer.h"
#include "platform/SdlAudioSystem.h"
#include "platform/SdlMediaDevice.h"
#include "tests/platform/SoundFileWriter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using enum MediaCommand;
namespace fs = std::filesystem;

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

struct Summary {
    double mean, p50, p99, max;
};

Summary summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        return values[std::min(values.size() - 1, static_cast<std::size_t>(std::ceil(q * values.size())) - 1)];
    };
    return {std::accumulate(values.begin(), values.end(), 0.0) / values.size(), at(0.50), at(0.99), values.back()};
}

// The real asset when it is there, otherwise a stand-in written into `scratch`.
std::string soundFile(const std::string& given, const std::string& name, const fs::path& scratch)
{
    const fs::path path = given.empty() ? fs::path(ZUMIKKO_ASSETS_DIR) / name : fs::path(given);
    if (fs::exists(path))
        return path.string();
    fs::create_directories(scratch);
    const std::string standIn = (scratch / name).string();
    if (name == "start.wav") {
        std::vector<std::int16_t> tone;
        for (int i = 0; i < SdlAudioSystem::frequency / 5; ++i) {
            const auto v = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 880.0 * i / SdlAudioSystem::frequency));
            tone.insert(tone.end(), {v, v});
        }
        SoundFileWriter::writeWave(standIn, tone, 2, SdlAudioSystem::frequency);
    } else {
        SoundFileWriter::writeMelody(standIn, name == "bgm.mid" ? 120 : 8, 0.5, 0.0);
    }
    std::printf("note: %s not found, using a generated stand-in\n", path.c_str());
    return standIn;
}

void measureMidiOpening(SdlAudioSystem& audio, const std::string& bgm, const std::string& goal,
                        const std::shared_ptr<const MidiRenderer>& renderer)
{
    std::printf("\nOpening the MIDI files (rendered on worker threads)\n");
    for (const std::string& path : {bgm, goal}) {
        SdlMediaDevice device(audio, renderer);
        device.setFileName(path);
        const auto before = Clock::now();
        device.command(Open);
        const auto returned = Clock::now();
        while (device.isLoading())
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        const auto ready = Clock::now();
        std::printf("  %-10s Open returned after %7.3f ms, %s after %7.1f ms\n",
                    fs::path(path).filename().c_str(), millisecondsBetween(before, returned),
                    device.isReady() ? "rendered" : "FAILED", millisecondsBetween(before, ready));
    }

    // As at startup: both opened back to back, so both render at once.
    SdlMediaDevice music(audio, renderer), fanfare(audio, renderer);
    music.setFileName(bgm);
    fanfare.setFileName(goal);
    const auto before = Clock::now();
    music.command(Open);
    fanfare.command(Open);
    const auto returned = Clock::now();
    while (music.isLoading() || fanfare.isLoading())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    std::printf("  both at once: Open x2 returned after %.3f ms, both rendered after %.1f ms\n",
                millisecondsBetween(before, returned), millisecondsBetween(before, Clock::now()));
}

// Open then Play at once, as a first launch may: the time from the Play to the song's first sound
// in the mixed output, however much of it has to be rendered first.
void measureMidiPlay(SdlAudioSystem& audio, OutputOnsetWatcher& watcher, const std::string& bgm,
                     const std::string& goal, const std::shared_ptr<const MidiRenderer>& renderer,
                     std::chrono::milliseconds playAfter)
{
    std::printf("\nOpen, Play %lld ms later, to the MIDI file's first sound in the mixed output\n",
                static_cast<long long>(playAfter.count()));
    for (const std::string& path : {bgm, goal}) {
        SdlMediaDevice device(audio, renderer);
        device.setFileName(path);
        if (!watcher.waitForSilentPasses(2, std::chrono::seconds(2)))
            std::fprintf(stderr, "the output never fell silent\n");
        watcher.arm();
        const auto opened = Clock::now();
        device.command(Open);
        std::this_thread::sleep_for(playAfter);
        const auto before = Clock::now();
        device.command(Play);
        const auto onset = watcher.waitForOnset(std::chrono::seconds(120));
        if (!onset) {
            std::printf("  %-10s never sounded\n", fs::path(path).filename().c_str());
            continue;
        }
        std::printf("  %-10s Play to first sound %8.1f ms (Open to first sound %8.1f ms)\n",
                    fs::path(path).filename().c_str(), millisecondsBetween(before, *onset),
                    millisecondsBetween(opened, *onset));
    }
}

int measureCaptured(SdlAudioSystem& audio, const std::string& startWav, int repeat, bool resting)
{
    CapturedOnsetWatcher watcher(SdlAudioSystem::frequency);
    if (!watcher.isOpen())
        return 1;
    SdlMediaDevice start(audio);
    start.setFileName(startWav);
    start.command(Open);
    std::printf("Play to sound at the capture source: %s, mixer %s, %d plays\n", startWav.c_str(),
                resting ? "resting while silent" : "never resting", repeat);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> phase(0, 20000);
    std::vector<double> latencies;
    for (int i = 0; i < repeat; ++i) {
        start.command(Stop);
        start.command(Prev);
        if (!watcher.waitForSilence(std::chrono::milliseconds(300), std::chrono::seconds(10))) {
            std::fprintf(stderr, "the capture never fell silent\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(phase(random)));
        if (resting && !audio.isResting())
            std::fprintf(stderr, "note: play %d found the mixer awake\n", i);
        watcher.arm();
        const auto before = Clock::now();
        start.command(Play);
        const auto onset = watcher.waitForOnset(std::chrono::seconds(2));
        if (!onset) {
            std::fprintf(stderr, "play %d never arrived at the capture source\n", i);
            return 1;
        }
        latencies.push_back(millisecondsBetween(before, *onset));
    }
    const Summary latency = summarise(latencies);
    std::printf("  latency  mean %6.2f ms   p50 %6.2f ms   p99 %6.2f ms   max %6.2f ms\n", latency.mean, latency.p50,
                latency.p99, latency.max);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::vector<std::string> files;
    int repeat = 50;
    int bufferFrames = 512;
    bool capture = false;
    bool rest = true;
    std::string cacheDirectory;
    std::chrono::milliseconds playAfter{0};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--repeat" && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--capture")
            capture = true;
        else if (arg == "--no-rest")
            rest = false;
        else if (arg == "--cache" && i + 1 < argc)
            cacheDirectory = argv[++i];
        else if (arg == "--play-after" && i + 1 < argc)
            playAfter = std::chrono::milliseconds(std::max(0, std::atoi(argv[++i])));
        else if (arg == "--buffer" && i + 1 < argc)
            bufferFrames = std::max(64, std::atoi(argv[++i]));
        else
            files.push_back(arg);
    }
    files.resize(3);
    const fs::path scratch = fs::temp_directory_path() / ("zumikko-audio-latency-" + std::to_string(getpid()));
    const std::string startWav = soundFile(files[0], "start.wav", scratch);
    const std::string bgm = soundFile(files[1], "bgm.mid", scratch);
    const std::string goal = soundFile(files[2], "goal.mid", scratch);

    SdlAudioSystem audio(bufferFrames, rest ? SdlAudioSystem::Rest::WhenSilent : SdlAudioSystem::Rest::Never);
    if (!audio.isOpen())
        return 1;
    if (capture) {
        const int result = measureCaptured(audio, startWav, repeat, rest);
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
        return result;
    }
    OutputOnsetWatcher watcher(audio);
    SdlMediaDevice start(audio);
    start.setFileName(startWav);
    start.command(Open);
    if (!start.isReady()) {
        std::fprintf(stderr, "cannot open %s\n", startWav.c_str());
        return 1;
    }

    std::printf("Play to first sound in the mixed output: %s, buffer %d frames (%.1f ms), %d plays\n",
                startWav.c_str(), bufferFrames, 1000.0 * bufferFrames / SdlAudioSystem::frequency, repeat);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> phase(0, 1000000 * bufferFrames / SdlAudioSystem::frequency);
    std::vector<double> latencies;
    std::vector<double> playCalls;
    for (int i = 0; i < repeat; ++i) {
        start.command(Stop);
        start.command(Prev);
        if (!watcher.waitForSilentPasses(2, std::chrono::seconds(2))) {
            std::fprintf(stderr, "the output never fell silent\n");
            return 1;
        }
        // Land the Play anywhere within a mixing period, as a key press would.
        std::this_thread::sleep_for(std::chrono::microseconds(phase(random)));
        watcher.arm();
        const auto before = Clock::now();
        start.command(Play);
        playCalls.push_back(millisecondsBetween(before, Clock::now()));
        const auto onset = watcher.waitForOnset(std::chrono::seconds(1));
        if (!onset) {
            std::fprintf(stderr, "play %d never sounded\n", i);
            return 1;
        }
        latencies.push_back(millisecondsBetween(before, *onset));
    }
    const Summary latency = summarise(latencies);
    const Summary call = summarise(playCalls);
    std::printf("  latency  mean %6.2f ms   p50 %6.2f ms   p99 %6.2f ms   max %6.2f ms   (target < 15 ms: %s)\n",
                latency.mean, latency.p50, latency.p99, latency.max, latency.p99 < 15.0 ? "met" : "MISSED");
    std::printf("  the Play call itself: mean %.3f ms, max %.3f ms; mixing pass every %.2f ms\n", call.mean,
                call.max, watcher.meanPassMilliseconds());

    std::shared_ptr<const MidiRenderer> renderer = std::make_shared<MidiRenderer>();
    if (!cacheDirectory.empty()) {
        std::printf("\nmusic cache: %s (run twice: the second run reads it)\n", cacheDirectory.c_str());
        renderer = std::make_shared<CachingMidiRenderer>(renderer, MusicCache(cacheDirectory));
    }
    measureMidiPlay(audio, watcher, bgm, goal, renderer, playAfter);
    measureMidiOpening(audio, bgm, goal, renderer);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return 0;
}

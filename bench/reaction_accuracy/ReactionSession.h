#pragma once

#include "bench/reaction_accuracy/ReelPattern.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

// One stop as the benchmark saw it. Times are CLOCK_MONOTONIC microseconds, the clock whose
// milliseconds the X server stamps on its events, so both ends of an interval share one clock.
struct StopRecord {
    int game = 0;
    int stop = 0;                // 1 to 10
    int offset = -1;             // strip offset learnt from the stopped picture
    int wrongPixels = 0;         // pixels that did not match the mask at that offset
    std::int64_t stopServerUs = 0;  // the server's millisecond on the stop picture's damage event
    std::int64_t stopSeenUs = 0;    // that event arrived here: the picture was there by then
    std::int64_t keySentUs = 0;     // the key request left here
    std::int64_t keyAnsweredUs = 0; // the server's answer to the request after it arrived here
    std::uint32_t keyServerMs = 0;  // the server's millisecond on the key event
    std::int64_t wakeLateUs = 0;    // how late this process woke for the key: its own wake-up time
    int reportedMs = -1;         // what the game added to the score; -1 at the tenth stop
    bool miss = false;           // the game counted a miss: the stop is not timed
    int reelPaintsAtStop = 0;    // reel paints within 2 ms before the stop was confirmed

    // Proven ranges: the stop picture reached the framebuffer, and the server took the key.
    std::int64_t stopEarliest() const { return stopServerUs; }
    std::int64_t stopLatest() const { return std::min(stopServerUs + 1000, stopSeenUs); }
    std::int64_t keyEarliest() const { return std::max(keySentUs, serverUs(keyServerMs, keyAnsweredUs)); }
    std::int64_t keyLatest() const { return std::min(keyAnsweredUs, serverUs(keyServerMs, keyAnsweredUs) + 1000); }

    // Both ends were learnt the same way: the server handled the request, sent its events and
    // this process woke up. Taking off the wake-up leaves the moment the server handled it.
    double trueIntervalMs(double wakeUpUs) const
    {
        const auto within = [](double t, std::int64_t lo, std::int64_t hi) {
            return std::clamp(t, static_cast<double>(lo), static_cast<double>(hi));
        };
        return (within(keyAnsweredUs - wakeUpUs, keyEarliest(), keyLatest())
                - within(stopSeenUs - wakeUpUs, stopEarliest(), stopLatest())) / 1000.0;
    }
    // Half the width of the range in which the true interval is proven to lie.
    double floorMs() const
    {
        return ((keyLatest() - keyEarliest()) + (stopLatest() - stopEarliest())) / 2000.0;
    }
    // The server's 32-bit millisecond `ms`, unwrapped near `nearUs`, in microseconds.
    static std::int64_t serverUs(std::uint32_t ms, std::int64_t nearUs)
    {
        const std::int64_t nearMs = nearUs / 1000;
        const auto behind = static_cast<std::uint32_t>(static_cast<std::uint32_t>(nearMs) - ms);
        return (nearMs - static_cast<std::int64_t>(behind)) * 1000;
    }
};

// Drives the real program on a display the benchmark owns: learns each stop from the X server
// (XDamage on the main window; the picture says where the strip stands), presses the letter
// with XTest at a chosen delay, and reads what the game added to the score from its probe
// output on stderr.
class ReactionSession {
public:
    ReactionSession(const std::string& display, int probeFd, const ReelPattern& pattern);
    ~ReactionSession();
    ReactionSession(const ReactionSession&) = delete;
    ReactionSession& operator=(const ReactionSession&) = delete;

    // Waits for the main window of the program and looks where its reel is.
    void attach(int timeoutSeconds, const std::function<bool()>& programAlive);
    // Plays one whole game; the records of its ten stops are appended.
    void playGame(int game, std::mt19937_64& random, double minDelayMs, double maxDelayMs,
                  std::vector<StopRecord>& records);

    static std::int64_t nowUs();

private:
    struct Damage {
        std::uint32_t serverMs;
        std::int64_t receivedUs;
        bool reel;
        bool kaisu;
    };
    struct KeyEcho {
        std::uint32_t serverMs;
        std::int64_t receivedUs;
        unsigned keycode;
    };
    struct ProbeLine {
        std::string label;
        std::string text;
    };

    bool pumpUntil(const std::function<bool()>& done, std::int64_t deadlineUs);
    void drainQueue(std::int64_t receivedUs);
    void handle(const XEvent& event, std::int64_t receivedUs);
    void readProbe();
    std::int64_t serverMsToUs(std::uint32_t serverMs) const;
    void focus(Window window);
    void tapKey(unsigned keycode);
    std::vector<std::uint32_t> grabReel();
    void closeScoreMessage();
    int probeCount(const std::string& label) const;

    Display* display_ = nullptr;
    int probeFd_;
    const ReelPattern& pattern_;
    int damageEventBase_ = 0;
    Window root_ = 0;
    Window main_ = 0;
    std::vector<Window> mapped_;    // top-level windows mapped so far, in order
    std::vector<Window> unmapped_;
    XRectangle reel_{}, kaisu_{};
    unsigned long damage_ = 0;
    std::vector<Damage> damages_;
    std::vector<KeyEcho> keys_;
    std::vector<ProbeLine> probe_;
    std::string probeBuffer_;
};

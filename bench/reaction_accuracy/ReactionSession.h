#pragma once

#include "bench/reaction_accuracy/ReelPattern.h"
#include "bench/reaction_accuracy/StopRecord.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

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

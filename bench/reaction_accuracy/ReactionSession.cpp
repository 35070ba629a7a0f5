#include "bench/reaction_accuracy/ReactionSession.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include <poll.h>
#include <unistd.h>

extern volatile std::sig_atomic_t benchInterrupted;

namespace {

// Client-area places of the main window: the reel window and the stops-left label.
constexpr int kClientHeight = 228;
constexpr XRectangle kReel{80, 96, 137, 33};
constexpr XRectangle kKaisu{8, 104, 65, 17};

bool intersects(const XRectangle& a, const XRectangle& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

std::string windowName(Display* display, Window window)
{
    char* name = nullptr;
    std::string result;
    if (XFetchName(display, window, &name) && name)
        result = name;
    if (name)
        XFree(name);
    return result;
}

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what);
}

} // namespace

std::int64_t ReactionSession::nowUs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

ReactionSession::ReactionSession(const std::string& display, int probeFd, const ReelPattern& pattern)
    : probeFd_(probeFd), pattern_(pattern)
{
    display_ = XOpenDisplay(display.c_str());
    if (!display_)
        fail("cannot open display " + display);
    int damageError = 0, event = 0, error = 0, major = 0, minor = 0;
    if (!XDamageQueryExtension(display_, &damageEventBase_, &damageError))
        fail("the X server has no DAMAGE extension");
    if (!XTestQueryExtension(display_, &event, &error, &major, &minor))
        fail("the X server has no XTEST extension");
    root_ = DefaultRootWindow(display_);
    XSelectInput(display_, root_, SubstructureNotifyMask);
    XSync(display_, False);
}

ReactionSession::~ReactionSession()
{
    if (display_)
        XCloseDisplay(display_);
}

std::int64_t ReactionSession::serverMsToUs(std::uint32_t serverMs) const
{
    // The server's 32-bit milliseconds are CLOCK_MONOTONIC's, wrapped; unwrap them near now.
    return StopRecord::serverUs(serverMs, nowUs());
}

void ReactionSession::readProbe()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(probeFd_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        probeBuffer_.append(buffer, static_cast<std::size_t>(n));
    }
    std::size_t end;
    while ((end = probeBuffer_.find('\n')) != std::string::npos) {
        const std::string line = probeBuffer_.substr(0, end);
        probeBuffer_.erase(0, end + 1);
        static const std::string kTag = "zumikko-probe ";
        if (line.rfind(kTag, 0) != 0)
            continue;
        const std::string rest = line.substr(kTag.size());
        const std::size_t space = rest.find(' ');
        probe_.push_back({rest.substr(0, space), space == std::string::npos ? "" : rest.substr(space + 1)});
    }
}

int ReactionSession::probeCount(const std::string& label) const
{
    return static_cast<int>(std::count_if(probe_.begin(), probe_.end(),
                                          [&](const ProbeLine& l) { return l.label == label; }));
}

void ReactionSession::handle(const XEvent& event, std::int64_t receivedUs)
{
    if (event.type == damageEventBase_ + XDamageNotify) {
        const auto& d = reinterpret_cast<const XDamageNotifyEvent&>(event);
        if (d.drawable == main_)
            damages_.push_back({static_cast<std::uint32_t>(d.timestamp), receivedUs, intersects(d.area, reel_),
                                intersects(d.area, kaisu_)});
        return;
    }
    switch (event.type) {
    case KeyPress:
        if (event.xkey.window == main_)
            keys_.push_back({static_cast<std::uint32_t>(event.xkey.time), receivedUs, event.xkey.keycode});
        break;
    case MapNotify:
        if (event.xmap.event == root_ && !event.xmap.override_redirect)
            mapped_.push_back(event.xmap.window);
        break;
    case UnmapNotify:
        if (event.xunmap.event == root_)
            unmapped_.push_back(event.xunmap.window);
        break;
    case DestroyNotify:
        if (event.xdestroywindow.event == root_)
            unmapped_.push_back(event.xdestroywindow.window);
        break;
    default:
        break;
    }
}

void ReactionSession::drainQueue(std::int64_t receivedUs)
{
    while (XQLength(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        handle(event, receivedUs);
    }
}

bool ReactionSession::pumpUntil(const std::function<bool()>& done, std::int64_t deadlineUs)
{
    for (;;) {
        if (benchInterrupted)
            fail("interrupted");
        XEventsQueued(display_, QueuedAfterReading);
        drainQueue(nowUs());
        readProbe();
        if (done())
            return true;
        const std::int64_t now = nowUs();
        if (now >= deadlineUs)
            return false;
        pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {probeFd_, POLLIN, 0}};
        const std::int64_t wait = std::min<std::int64_t>(deadlineUs - now, 100'000);
        const timespec timeout{0, static_cast<long>(wait * 1000)};
        if (ppoll(fds, 2, &timeout, nullptr) < 0 && errno != EINTR)
            fail(std::string("poll: ") + std::strerror(errno));
    }
}

void ReactionSession::focus(Window window)
{
    XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    XSync(display_, False);
    drainQueue(nowUs());
}

void ReactionSession::tapKey(unsigned keycode)
{
    XTestFakeKeyEvent(display_, keycode, True, CurrentTime);
    XTestFakeKeyEvent(display_, keycode, False, CurrentTime);
    XSync(display_, False);
    drainQueue(nowUs());
}

void ReactionSession::attach(int timeoutSeconds, const std::function<bool()>& programAlive)
{
    const std::int64_t deadline = nowUs() + timeoutSeconds * 1'000'000LL;
    const auto found = [&] {
        if (!programAlive())
            fail("the program ended before its window appeared");
        for (Window w : mapped_)
            if (windowName(display_, w) == "Zumikko") {
                main_ = w;
                return true;
            }
        return false;
    };
    if (!pumpUntil(found, deadline))
        fail("the main window did not appear");

    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, main_, &attributes);
    const int top = attributes.height - kClientHeight;  // the menu bar stands above the client area
    reel_ = {kReel.x, static_cast<short>(kReel.y + top), kReel.width, kReel.height};
    kaisu_ = {kKaisu.x, static_cast<short>(kKaisu.y + top), kKaisu.width, kKaisu.height};
    XSelectInput(display_, main_, KeyPressMask | StructureNotifyMask);
    damage_ = XDamageCreate(display_, main_, XDamageReportRawRectangles);
    focus(main_);
    // Let the first paints and the focus settle.
    pumpUntil([] { return false; }, nowUs() + 500'000);

    // The thick black frame around the reel window must stand where we expect it.
    XImage* image = XGetImage(display_, main_, reel_.x - 3, reel_.y + 10, 1, 1, AllPlanes, ZPixmap);
    const unsigned long frame = image ? XGetPixel(image, 0, 0) & 0xFFFFFF : 1;
    if (image)
        XDestroyImage(image);
    if (frame != 0)
        fail("the reel window is not where the layout puts it");
}

std::vector<std::uint32_t> ReactionSession::grabReel()
{
    XImage* image = XGetImage(display_, main_, reel_.x, reel_.y, ReelPattern::kWidth, ReelPattern::kRows,
                              AllPlanes, ZPixmap);
    drainQueue(nowUs());
    if (!image)
        fail("cannot read the reel window");
    std::vector<std::uint32_t> columns(ReelPattern::kWidth, 0);
    for (int x = 0; x < ReelPattern::kWidth; ++x)
        for (int y = 0; y < ReelPattern::kRows; ++y)
            if ((XGetPixel(image, x, y) & 0xFFFFFF) != 0)
                columns[x] |= 1u << y;
    XDestroyImage(image);
    return columns;
}

void ReactionSession::closeScoreMessage()
{
    // The record in the benchmark's score.dat is unbeatable, so every game ends with the score
    // message box; Enter closes it.
    const std::size_t seen = mapped_.size();
    Window box = 0;
    if (!pumpUntil([&] {
            for (std::size_t i = seen; i < mapped_.size(); ++i)
                if (mapped_[i] != main_)
                    box = mapped_[i];
            return box != 0;
        }, nowUs() + 10'000'000))
        fail("no score message after the tenth stop");
    const unsigned enter = XKeysymToKeycode(display_, XK_Return);
    for (int attempt = 0; attempt < 5; ++attempt) {
        pumpUntil([] { return false; }, nowUs() + 150'000);
        focus(box);
        pumpUntil([] { return false; }, nowUs() + 50'000);
        tapKey(enter);
        if (pumpUntil([&] { return std::find(unmapped_.begin(), unmapped_.end(), box) != unmapped_.end(); },
                      nowUs() + 2'000'000))
            break;
    }
    if (std::find(unmapped_.begin(), unmapped_.end(), box) == unmapped_.end())
        fail("the score message did not close");
    focus(main_);
    pumpUntil([] { return false; }, nowUs() + 200'000);
}

void ReactionSession::playGame(int game, std::mt19937_64& random, double minDelayMs, double maxDelayMs,
                               std::vector<StopRecord>& records)
{
    std::uniform_int_distribution<std::int64_t> delayUs(static_cast<std::int64_t>(minDelayMs * 1000),
                                                        static_cast<std::int64_t>(maxDelayMs * 1000));
    focus(main_);
    const int kaisuBefore = probeCount("kaisu");
    const std::size_t damagesBefore = damages_.size();
    tapKey(XKeysymToKeycode(display_, XK_Return));

    // The start writes "あと10回"; stops are the later changes of that label.
    std::size_t searchFrom = damagesBefore;
    if (!pumpUntil([&] {
            if (probeCount("kaisu") <= kaisuBefore)
                return false;
            for (std::size_t i = searchFrom; i < damages_.size(); ++i)
                if (damages_[i].kaisu) {
                    searchFrom = i + 1;
                    return true;
                }
            return false;
        }, nowUs() + 5'000'000))
        fail("the game did not start");

    long score = 0;
    for (int stop = 1; stop <= 10; ++stop) {
        std::size_t kaisuIndex = 0;
        const bool stopped = pumpUntil([&] {
            if (probeCount("kaisu") < kaisuBefore + 1 + stop)
                return false;
            for (std::size_t i = searchFrom; i < damages_.size(); ++i)
                if (damages_[i].kaisu) {
                    kaisuIndex = i;
                    return true;
                }
            return false;
        }, nowUs() + 60'000'000);
        if (!stopped)
            fail("no stop " + std::to_string(stop) + " within a minute");

        // The stop picture is the reel's last paint before the label's: the game draws the
        // stopped reel at once and the label on its next paint.
        std::size_t stopIndex = kaisuIndex + 1;
        for (std::size_t i = kaisuIndex + 1; i-- > searchFrom;)
            if (damages_[i].reel) {
                stopIndex = i;
                break;
            }
        if (stopIndex > kaisuIndex)
            fail("stop " + std::to_string(stop) + " came without a reel paint");
        const Damage picture = damages_[stopIndex];

        StopRecord record;
        record.game = game;
        record.stop = stop;
        record.stopServerUs = serverMsToUs(picture.serverMs);
        record.stopSeenUs = picture.receivedUs;
        for (std::size_t i = searchFrom; i <= kaisuIndex; ++i)
            if (damages_[i].reel && picture.serverMs - damages_[i].serverMs <= 2)
                ++record.reelPaintsAtStop;

        // The stopped reel stands still; a picture caught half drawn is read again.
        ReelPattern::Match where;
        for (int attempt = 0; attempt < 5 && (attempt == 0 || where.wrongPixels > 0); ++attempt) {
            pumpUntil([] { return false; }, nowUs() + 10'000);
            where = pattern_.locate(grabReel());
        }
        record.offset = where.offset;
        record.wrongPixels = where.wrongPixels;
        const char letter = ReelPattern::stopLetter(where.offset);
        const KeySym sym = XStringToKeysym(std::string(1, static_cast<char>(letter - 'A' + 'a')).c_str());
        const unsigned keycode = XKeysymToKeycode(display_, sym);

        const std::int64_t keyAt = picture.receivedUs + delayUs(random);
        pumpUntil([] { return false; }, keyAt);
        const int missesBefore = probeCount("miss");
        const int scoresBefore = probeCount("score");
        const std::size_t keysBefore = keys_.size();
        record.keySentUs = nowUs();
        record.wakeLateUs = record.keySentUs - keyAt;
        XTestFakeKeyEvent(display_, keycode, True, CurrentTime);
        XSync(display_, False);
        record.keyAnsweredUs = nowUs();
        drainQueue(record.keyAnsweredUs);
        XTestFakeKeyEvent(display_, keycode, False, CurrentTime);
        XFlush(display_);
        searchFrom = kaisuIndex + 1;

        // The server stamped the key with its millisecond: that narrows where it lies.
        if (!pumpUntil([&] {
                for (std::size_t i = keysBefore; i < keys_.size(); ++i)
                    if (keys_[i].keycode == keycode) {
                        record.keyServerMs = keys_[i].serverMs;
                        return true;
                    }
                return false;
            }, nowUs() + 1'000'000))
            fail("the key of stop " + std::to_string(stop) + " did not come back");
        const std::int64_t keyMs = StopRecord::serverUs(record.keyServerMs, record.keyAnsweredUs);
        if (keyMs > record.keyAnsweredUs || keyMs + 1000 < record.keySentUs)
            fail("the X server's key time is not on CLOCK_MONOTONIC");

        if (stop < 10) {
            if (!pumpUntil([&] { return probeCount("score") > scoresBefore; }, nowUs() + 10'000'000))
                fail("the score did not change after the key of stop " + std::to_string(stop));
            pumpUntil([] { return false; }, nowUs() + 2'000);
            long latest = score;
            for (const ProbeLine& line : probe_)
                if (line.label == "score")
                    latest = std::stol(line.text);
            record.reportedMs = static_cast<int>(latest - score);
            score = latest;
        }
        record.miss = probeCount("miss") > missesBefore;
        records.push_back(record);
    }
    closeScoreMessage();
}

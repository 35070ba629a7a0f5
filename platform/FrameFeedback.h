#pragma once

#include <cstdint>
#include <functional>
#include <optional>

class QWindow;

// Asks the compositor when the next picture of a window reached the screen.
class FrameFeedback {
public:
    // The moment on the game's clock, or nothing where the compositor dropped the picture.
    using Answer = std::function<void(std::optional<std::int64_t> presentedAtUs)>;

    virtual ~FrameFeedback() = default;
    // Asks about the next picture committed to the window; false where it cannot be asked, and
    // `answer` is then never called.
    virtual bool requestForNextPicture(QWindow& window, Answer answer) = 0;
    // Sends what is queued to the compositor at once.
    virtual void send() = 0;
    // Hands out the answers that have come, without waiting for any.
    virtual void collect() = 0;
};

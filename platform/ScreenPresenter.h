#pragma once

#include <cstdint>
#include <functional>
#include <optional>

// Puts what was just drawn into a window on screen and tells when the display server had it,
// on the game's clock.
class ScreenPresenter {
public:
    using Stamped = std::function<void(std::int64_t shownAtUs)>;

    virtual ~ScreenPresenter() = default;
    // Shows the picture before returning and returns the moment the display server had it; or
    // nothing where the server stamps that moment itself: `stamped` then gets it once, later,
    // from the event loop.
    virtual std::optional<std::int64_t> present(Stamped stamped) = 0;
};

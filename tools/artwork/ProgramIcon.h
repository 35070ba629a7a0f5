#pragma once

#include <QImage>

class OutlineFont;

// The 32 x 32 window icon: "Zumikk" on a pink plate over a large "o". At this size a drawn
// font turns to mush, so the small word is set from hand-made pixel letters.
class ProgramIcon {
public:
    static constexpr int size = 32;

    explicit ProgramIcon(const OutlineFont& bold);

    QImage image() const;

private:
    const OutlineFont& bold_;
};

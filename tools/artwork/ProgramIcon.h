#pragma once

#include <QImage>

class OutlineFont;

// The program's icon: "Zumikk" on a pink plate over a large "o". The 32 x 32 window icon sets
// the small word from hand-made pixel letters, as a drawn font turns to mush there; larger
// icons draw it from the font, and below 32 pixels the plate stays blank.
class ProgramIcon {
public:
    static constexpr int size = 32;
    // The sizes the desktop's icon theme gets.
    static constexpr int themeSizes[] = {16, 32, 48, 64, 128, 256};

    explicit ProgramIcon(const OutlineFont& bold, int pixels = size);

    QImage image() const;

private:
    const OutlineFont& bold_;
    int pixels_;
};

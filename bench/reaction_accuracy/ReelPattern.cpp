#include "bench/reaction_accuracy/ReelPattern.h"

#include <QImage>

#include <bit>
#include <stdexcept>

ReelPattern::ReelPattern(std::vector<std::uint32_t> maskColumns) : mask_(std::move(maskColumns))
{
    if (static_cast<int>(mask_.size()) < kPeriod)
        throw std::runtime_error("the mask is narrower than the strip");
}

ReelPattern ReelPattern::fromMaskFile(const std::string& path)
{
    const QImage image = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
    if (image.isNull() || image.height() < kRows)
        throw std::runtime_error("cannot read the mask picture " + path);
    std::vector<std::uint32_t> columns(image.width(), 0);
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < kRows; ++y)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0)
                columns[x] |= 1u << y;
    return ReelPattern(std::move(columns));
}

std::uint32_t ReelPattern::columnAt(int stripColumn) const
{
    // The game fills the window past the picture's end from the strip's repeated start.
    if (stripColumn >= static_cast<int>(mask_.size()))
        stripColumn -= kPeriod;
    return mask_[stripColumn];
}

ReelPattern::Match ReelPattern::locate(const std::vector<std::uint32_t>& picture) const
{
    Match best{-1, kWidth * kRows + 1};
    // 832 shows what 0 shows, so one period of offsets covers every picture.
    for (int offset = 0; offset < kPeriod; ++offset) {
        int wrong = 0;
        for (int c = 0; c < kWidth && wrong < best.wrongPixels; ++c)
            wrong += std::popcount(picture[c] ^ columnAt(offset + c));
        if (wrong < best.wrongPixels)
            best = {offset, wrong};
    }
    return best;
}

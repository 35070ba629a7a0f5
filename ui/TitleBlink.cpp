#include "ui/TitleBlink.h"

#include "platform/Blit.h"

namespace {

void drawFrame(Surface& window, const Surface& frame)
{
    blit(window, 0, 0, TitleBlink::kWidth, TitleBlink::kHeight, frame, 0, 0, RasterOp::Copy);
}

} // namespace

void TitleBlink::drawInitialFrame(Surface& window, const Surface& frameB)
{
    drawFrame(window, frameB);
}

void TitleBlink::tick(Surface& window, const Surface& frameA, const Surface& frameB)
{
    if (intTitleFlag_ == 0) {
        drawFrame(window, frameA);
        intTitleFlag_ = 1;
    } else {
        drawFrame(window, frameB);
        intTitleFlag_ = 0;
    }
}

#include "platform/FlushScreenPresenter.h"

#include <QWidget>

std::optional<std::int64_t> FlushScreenPresenter::present(Stamped)
{
    // repaint() paints and flushes the backing store before it returns.
    widget_.repaint();
    return clock_.nowMicroseconds();
}

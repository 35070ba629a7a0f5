#include "platform/PaintHold.h"

#include <QEvent>

void PaintHold::hold()
{
    held_ = true;
}

void PaintHold::release()
{
    if (!held_)
        return;
    held_ = false;
    if (!widget_)
        return;
    // The backing store missed the paints held back; an expose would otherwise flush what it
    // held before.
    widget_->update();
}

bool PaintHold::eventFilter(QObject* watched, QEvent* event)
{
    return held_ && watched == widget_ && event->type() == QEvent::Paint;
}

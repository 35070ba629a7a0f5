#include "platform/PlainLabel.h"

void setSingleBorder(QLabel& label)
{
    label.setFrameStyle(QFrame::Box | QFrame::Plain);
    label.setLineWidth(1);
}

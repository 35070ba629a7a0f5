#include "platform/ProblemBox.h"

#include "platform/PlainMessageBox.h"

void showProblemBox(QWidget* parent, const QString& message)
{
    PlainMessageBox::show(parent, message);
}

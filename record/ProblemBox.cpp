#include "record/ProblemBox.h"

#include "ui/PlainMessageBox.h"

void showProblemBox(QWidget* parent, const QString& message)
{
    PlainMessageBox::show(parent, message);
}

#include "record/ProblemBox.h"

#include <QMessageBox>

void showProblemBox(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Zumikko"), message, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

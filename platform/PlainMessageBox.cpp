#include "platform/PlainMessageBox.h"

#include <QMessageBox>
#include <QPushButton>

void PlainMessageBox::show(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Zumikko"), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool PlainMessageBox::ask(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Zumikko"), question, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
    yes->setObjectName(QStringLiteral("yes"));
    no->setObjectName(QStringLiteral("no"));
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void PlainMessageBox::showFatal(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Zumikko"), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

#include "platform/PlainMessageBox.h"

#include "platform/TransientParent.h"
#include "ProgramInfo.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

QString title() { return QString::fromUtf8(ProgramInfo::kName); }

} // namespace

void PlainMessageBox::show(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title(), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool PlainMessageBox::ask(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::NoIcon, title(), question, QMessageBox::NoButton, parent);
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

void PlainMessageBox::notify(QWidget* owner, const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, title(), text, QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    if (owner)
        setTransientParent(*box, owner->window());
    box->show();
}

void PlainMessageBox::showFatal(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, title(), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

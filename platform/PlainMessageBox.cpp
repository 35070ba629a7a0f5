#include "platform/PlainMessageBox.h"

#include "platform/TransientParent.h"
#include "ProgramInfo.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {

// The window manager writes the title in its own, often bold and larger, font beside the box's
// icon and its buttons; a box as narrow as a short text ("あなたのスコア　4970") has its title
// cut to "Zu… ko". Room for the title at twice the text font's width, and for four buttons of
// a title bar at the height of two lines each, keeps it whole under the usual themes.
void makeRoomForTitle(QMessageBox& box)
{
    const QFontMetrics metrics(box.font());
    const int width = 2 * metrics.horizontalAdvance(box.windowTitle()) + 4 * 2 * metrics.height();
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

} // namespace

namespace {

QString title() { return QString::fromUtf8(ProgramInfo::kName); }

} // namespace

void PlainMessageBox::show(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title(), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    makeRoomForTitle(box);
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
    makeRoomForTitle(box);
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
    makeRoomForTitle(box);
    box.exec();
}

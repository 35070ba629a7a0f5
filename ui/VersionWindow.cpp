#include "ui/VersionWindow.h"

#include "platform/Fonts.h"
#include "platform/PlainLabel.h"
#include "platform/Shell.h"
#include "platform/WindowPlacement.h"
#include "ProgramInfo.h"
#include "ui/MakerInfo.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace {

constexpr QSize kClientSize(258, 205);
// The frame's top edge lies above the client area; everything inside it is placed in client
// coordinates and shifted by this much.
constexpr QPoint kFrameOrigin(0, -5);

QRect inFrame(const QRect& client) { return client.translated(-kFrameOrigin); }

void setTextColour(QWidget* widget, QColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

bool isLeftClickInside(const QWidget* widget, const QEvent* event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    return mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint());
}

} // namespace

VersionWindow::VersionWindow(Shell& shell, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      shell_(shell)
{
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(kClientSize);

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    setAutoFillBackground(true);

    // A caption-less group frame: only the etched border, no panel fill of its own, so the
    // shadow label's opaque background matches what lies around it.
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(QRect(kFrameOrigin, QSize(257, 209)));

    // Created back to front: a later sibling lies in front of an earlier one. Each label starts
    // at the layout's size and grows to its text within a band of its own, so that a font with
    // tall lines (Noto CJK) cannot push the name's opaque shadow over the version line.
    QLabel* reserved = addLabel(frame, "lblReserved", QString::fromUtf8(MakerInfo::kRightsReserved), 78, 107);
    reserved->resize(102, 12);
    growToText(*reserved, inFrame(QRect(4, 106, 250, 32)));
    QLabel* produced = addLabel(frame, "lblProduced", QString::fromUtf8(MakerInfo::kProducedBy), 78, 91);
    produced->resize(102, 12);
    growToText(*produced, inFrame(QRect(4, 77, 250, 29)));
    QLabel* version = addLabel(frame, "lblVersion", QStringLiteral("Version ") + QString::fromUtf8(ProgramInfo::kVersion), 94, 59);
    version->resize(65, 12);
    growToText(*version, inFrame(QRect(4, 58, 250, 19)));

    QLabel* back = addLabel(frame, "lblTitleBack", QString::fromUtf8(ProgramInfo::kName), 34, 19);
    back->setFont(gothicFont(27.75, true));
    back->resize(191, 37);
    growToText(*back, inFrame(QRect(4, 3, 250, 55)));
    setTextColour(back, QColor(0x00C0C0));
    back->setAutoFillBackground(true);

    // The name itself, 2 pixels above and left of its shadow, wherever the shadow went.
    QLabel* front = addLabel(frame, "lblTitleFront", QString::fromUtf8(ProgramInfo::kName), 32, 17);
    front->setFont(back->font());
    front->setAlignment(back->alignment());
    front->setContentsMargins(back->contentsMargins());
    front->setGeometry(back->geometry().translated(-2, -2));
    setTextColour(front, QColor(0x0000FF));

    // An invisible area over all the labels: a click on any of them lands here.
    img_ = new QWidget(frame);
    img_->setObjectName(QStringLiteral("img"));
    img_->setGeometry(QRect(QPoint(0, 3) - kFrameOrigin, QSize(257, 201)));
    img_->installEventFilter(this);

    picQuillon_ = new QLabel(frame);
    picQuillon_->setObjectName(QStringLiteral("picQuillon"));
    picQuillon_->setGeometry(QRect(QPoint(12, 139) - kFrameOrigin, QSize(234, 60)));
    picQuillon_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picQuillon_->setCursor(Qt::PointingHandCursor);
    const QPixmap logo(QStringLiteral(":/art/quillon.png"));
    if (!logo.isNull())
        picQuillon_->setPixmap(logo);
    picQuillon_->installEventFilter(this);

    setFocusPolicy(Qt::NoFocus);
    for (QWidget* child : findChildren<QWidget*>())
        child->setFocusPolicy(Qt::NoFocus);

    // Placed here rather than by QDialog, whose placement guesses the frame's size and on X11
    // without a window manager leaves the window well off the centre.
    centreOnScreen(*this);
}

QLabel* VersionWindow::addLabel(QWidget* frame, const char* name, const QString& text, int x, int y)
{
    QLabel* label = plainLabel(frame, text, name);
    label->move(QPoint(x, y) - kFrameOrigin);
    label->adjustSize();
    return label;
}

bool VersionWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == picQuillon_ && isLeftClickInside(picQuillon_, event)) {
        shell_.openUrl(MakerInfo::kHomePage);
        return true;
    }
    if (watched == img_ && isLeftClickInside(img_, event)) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

#include "record/RecordDialog.h"

#include "platform/BringForward.h"
#include "platform/PlainMessageBox.h"
#include "record/RecordWindowLook.h"

#include <QCloseEvent>
#include <QKeyEvent>

RecordDialog::RecordDialog(QWidget* parent)
    : QDialog(parent, RecordWindowLook::windowFlags)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

bool RecordDialog::mayLoseRecord(Loss loss)
{
    if (!holdsUnsavedRecord())
        return true;
    bringForward(*this);
    const QString consequence = loss == Loss::Quitting ? QStringLiteral("終了すると、この記録は失われます。終了しますか？")
                                                       : QStringLiteral("このウィンドウを閉じると、この記録は失われます。閉じますか？");
    return PlainMessageBox::ask(this, QStringLiteral("新しい記録はまだ保存されていません。\n") + consequence);
}

void RecordDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void RecordDialog::closeEvent(QCloseEvent* event)
{
    if (!mayLoseRecord(Loss::ClosingWindow)) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

#include "record/UserNameWindow.h"

#include "platform/Fonts.h"
#include "platform/LeftoverKeyGuard.h"
#include "platform/PlainMessageBox.h"
#include "record/CharacterList.h"
#include "record/RecordWindowLook.h"
#include "record/ScoreFile.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

UserNameWindow::UserNameWindow(ProblemReporter reportProblem, QWidget* parent)
    : QDialog(parent, RecordWindowLook::windowFlags),
      reportProblem_(std::move(reportProblem))
{
    using Look = RecordWindowLook;
    setObjectName(QStringLiteral("frmUserName"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("You are new champion."));
    setFixedSize(298, 171);
    setFont(gothicFont(9));

    QLabel* message = Look::label(this, "lblMessage",
        QStringLiteral("過去最高スコアを越し、チャンピオンになりました。あなたのお名前を入力してください。"),
        QRect(24, 8, 257, 25));
    message->setWordWrap(true);
    // Above the name box; a font with taller lines gets the room up to it.
    growToText(*message, QRect(4, 2, 290, 52));

    QLabel* nameHeading = Look::label(this, "Label1", QStringLiteral("あなたのお名前"), QRect(8, 62, 87, 13));
    nameHeading->setFont(gothicFont(9.75));
    growToText(*nameHeading, QRect(4, 56, 98, 32));  // left of the name box

    txtName_ = new QLineEdit(this);
    txtName_->setObjectName(QStringLiteral("txtName"));
    txtName_->setGeometry(104, 56, 185, 22);
    txtName_->setFont(gothicFont(11.25));
    txtName_->setAttribute(Qt::WA_InputMethodEnabled);

    QLabel* scoreHeading = Look::label(this, "Label3", QStringLiteral("あなたのスコア"), QRect(8, 93, 83, 13));
    scoreHeading->setFont(gothicFont(9.75));
    growToText(*scoreHeading, QRect(4, 88, 98, 44));  // left of the score box, above OK

    lblScore_ = Look::valueLabel(this, "lblScore", QString(), QRect(104, 88, 185, 22),
                                 palette().color(QPalette::HighlightedText), Qt::AlignLeft, gothicFont(11.25, true));

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(108, 136, 81, 25);  // the layout's left edge is 108.5
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &UserNameWindow::cmdOKClicked);

    leftoverKeys_ = new LeftoverKeyGuard(*this, *txtName_, times_);

    setTabOrder(txtName_, cmdOK_);
    txtName_->setFocus();
    Look::centreOnScreen(*this);
}

void UserNameWindow::ignoreLeftoverKeys()
{
    leftoverKeys_->arm();
}

void UserNameWindow::keyPressEvent(QKeyEvent* event)
{
    // A dialog closes on Escape; here that would throw the new record away at one key press.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void UserNameWindow::closeEvent(QCloseEvent* event)
{
    if (!confirmed_
        && !PlainMessageBox::ask(this, QStringLiteral("新しい記録はまだ保存されていません。\n"
                                                      "このウィンドウを閉じると、この記録は失われます。閉じますか？"))) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void UserNameWindow::cmdOKClicked()
{
    const QString name = txtName_->text();
    const std::string unstorable = ScoreFile::unstorableCharacters(name.toStdString());
    if (!unstorable.empty()) {
        reportProblem_(this, QStringLiteral("次の文字は記録できません。名前を直してください: ")
                                 + QString::fromStdString(characterList(unstorable)));
        txtName_->setFocus();
        return;
    }
    confirmed_ = true;
    emit nameConfirmed(name, lblScore_->text());
    close();
}

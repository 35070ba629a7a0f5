#include "record/UserNameWindow.h"

#include "platform/Fonts.h"
#include "platform/LeftoverKeyGuard.h"
#include "platform/WindowPlacement.h"
#include "platform/X11HeldKeys.h"
#include "record/CharacterList.h"
#include "record/RecordFormat.h"
#include "record/RecordWindowLook.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// A name must always fit in a record the reader accepts. Each character of the box takes at most
// two bytes in CP932 (a character QLineEdit counts twice, a surrogate pair, has no CP932 form
// and is refused anyway); 32,000 of them, the quotes and line ends of both lines (8 bytes) and a
// game's score (at most 11 bytes) come to 64,019 bytes, well within RecordFormat::maximumBytes.
constexpr int kLongestName = 32000;
static_assert(2 * kLongestName + 8 + 11 <= static_cast<int>(RecordFormat::maximumBytes));

} // namespace

UserNameWindow::UserNameWindow(const Clock& clock, ProblemReporter reportProblem, QWidget* parent)
    : RecordDialog(parent),
      reportProblem_(std::move(reportProblem)),
      times_(clock)
{
    using Look = RecordWindowLook;
    setObjectName(QStringLiteral("frmUserName"));
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
    txtName_->setMaxLength(kLongestName);
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

    leftoverKeys_ = new LeftoverKeyGuard(*this, *txtName_, times_, anyKeyHeldOnX11);

    setTabOrder(txtName_, cmdOK_);
    txtName_->setFocus();
    centreOnScreen(*this);
}

void UserNameWindow::ignoreLeftoverKeys()
{
    leftoverKeys_->arm();
}

void UserNameWindow::cmdOKClicked()
{
    const QString name = txtName_->text();
    const std::string unstorable = RecordFormat::unstorableCharacters(name.toStdString());
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

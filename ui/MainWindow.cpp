#include "ui/MainWindow.h"

#include "game/CounterText.h"
#include "platform/Blit.h"
#include "platform/Fonts.h"
#include "platform/MaximizeRefusal.h"
#include "platform/PlainLabel.h"
#include "platform/SurfaceImage.h"
#include "platform/SurfaceWidget.h"
#include "platform/WindowPlacement.h"
#include "ui/CommandKeys.h"
#include "ui/ShapeWidget.h"
#include "ProgramInfo.h"

#include <QCloseEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QtMath>

#include <algorithm>

namespace {

constexpr QSize kClientSize(338, 228);
constexpr std::uint32_t kBackground = 0xFFFF80;
constexpr int kLedIntervalMs = 50;
constexpr int kTitleIntervalMs = 1000;

Surface loadArtwork(const QString& name, int width, int height)
{
    const QImage image(QStringLiteral(":/art/") + name);
    if (image.isNull())
        return Surface(width, height, 0x000000);
    return surfaceFromImage(image);
}

QString toQString(const std::string& text) { return QString::fromStdString(text); }

const QString kReelName = QStringLiteral("リール");

// A counter is read out with its heading: "MISS 3", "SCORE 4970".
void nameCounter(QLabel& counter, const QString& heading)
{
    counter.setAccessibleName(heading + QLatin1Char(' ') + counter.text());
}

struct LabelLook {
    QRect geometry;
    QString caption;
    std::optional<QColor> background;  // none: transparent
    Qt::Alignment alignment;
    std::optional<QFont> font;
    bool border = false;
    QColor text = Qt::black;
};

QLabel* makeLabel(QWidget* parent, const LabelLook& look)
{
    QLabel* label = plainLabel(parent, look.caption);
    label->setGeometry(look.geometry);
    label->setAlignment(look.alignment);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (look.font)
        label->setFont(*look.font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, look.text);
    if (look.background) {
        label->setAutoFillBackground(true);
        palette.setColor(QPalette::Window, *look.background);
    }
    label->setPalette(palette);
    if (look.border)
        setSingleBorder(*label);
    return label;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      picABC_(loadArtwork(QStringLiteral("abc.png"), 957, 32)),
      picMask_(loadArtwork(QStringLiteral("mask.png"), 957, 32)),
      picLEDFront_(loadArtwork(QStringLiteral("led_front.png"), 8, 25)),
      picLEDBack_(loadArtwork(QStringLiteral("led_back.png"), 8, 25)),
      picTitle_(loadArtwork(QStringLiteral("title_a.png"), 300, 91)),
      picTitle2_(loadArtwork(QStringLiteral("title_b.png"), 300, 91)),
      timLED_(kLedIntervalMs, [this] { tickLed(); }),
      timTitle_(kTitleIntervalMs, [this] { tickTitle(); })
{
    setWindowTitle(QString::fromUtf8(ProgramInfo::kName));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Letters must reach the game even while a Japanese input method is active.
    setAttribute(Qt::WA_InputMethodEnabled, false);

    buildClientArea();
    buildMenu();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    MaximizeRefusal::attachTo(*this);

    // Load: the dim title frame onto the window's own surface, and the marquee's start positions.
    title_.drawInitialFrame(client_->surface(), picTitle2_);
    client_->update();
    led_.load();

    for (SeenOnlyTimer* timer : {&timLED_, &timTitle_}) {
        connect(&visibility_, &WindowVisibility::seenChanged, timer, &SeenOnlyTimer::setSeen);
        timer->start();
    }

    centreOnScreen(*this);
}

MainWindow::~MainWindow() = default;

QRect MainWindow::reelAndMarker() const
{
    QRect united;
    for (const QWidget* part : std::initializer_list<const QWidget*>{picMain_, shape1_, shape2_})
        united |= QRect(part->mapToGlobal(QPoint(0, 0)), part->size());
    return united;
}

void MainWindow::buildClientArea()
{
    client_ = new SurfaceWidget(kClientSize.width(), kClientSize.height(), kBackground, this);
    setCentralWidget(client_);
    QWidget* c = client_;
    const QFont defaultFont = gothicFont(9);

    // The stop marker's lower tab shows "？？？" between the reel frame's outline (down to row 131)
    // and its own 3-pixel border. Where the font's question marks are taller than the layout's
    // 8 free rows, the tab grows towards the LED bar; its border may then reach under the bar.
    const QString markerText = QStringLiteral("？？？");
    const QFont markerFont = gothicFont(8.25, true);
    const int markerTextHeight = qCeil(QFontMetricsF(markerFont).tightBoundingRect(markerText).height());
    const int markerHeight = std::clamp(41 + markerTextHeight, 49, 51);
    const QRect markerInside(133, 132, 31, markerHeight - 41);

    // Back to front, so that later widgets cover earlier ones where they overlap.
    shape1_ = new ShapeWidget(QRect(132, 92, 33, markerHeight), 3, QColor(0xFFFFC0), c);  // Shape1: the stop marker
    shape2_ = new ShapeWidget(QRect(80, 96, 137, 33), 5, std::nullopt, c);                // Shape2: the reel frame
    QLabel* label1 = makeLabel(c, {QRect(132, 130, 36, 11), markerText, std::nullopt, Qt::AlignHCenter | Qt::AlignTop,
                                   markerFont, false, QColor(0x0000FF)});
    growToText(*label1, markerInside);
    // The counters show between their headings, which cover their first row, and the start
    // button, which covers their last.
    lblScore_ = makeLabel(c, {QRect(152, 176, 148, 25), QStringLiteral("0"), QColor(0xC0FFFF),
                              Qt::AlignRight | Qt::AlignVCenter, minchoFont(18, true)});
    growToText(*lblScore_, QRect(152, 177, 148, 23), QStringLiteral("0123456789"), 1);
    lblMiss_ = makeLabel(c, {QRect(0, 176, 148, 25), QStringLiteral("0"), QColor(0xC0C0FF),
                             Qt::AlignRight | Qt::AlignVCenter, minchoFont(18, true)});
    growToText(*lblMiss_, QRect(0, 177, 148, 23), QStringLiteral("0123456789"), 1);
    // The headings of the counters show between the LED bar, which covers their first row, and
    // the counters' second row.
    QLabel* label3 = makeLabel(c, {QRect(152, 168, 148, 9), QStringLiteral("SCORE"), QColor(0xFFFFFF),
                                   Qt::AlignCenter, gothicFont(8.25)});
    growToText(*label3, QRect(152, 169, 148, 8), {}, 1);
    QLabel* label4 = makeLabel(c, {QRect(0, 168, 148, 9), QStringLiteral("MISS"), QColor(0xFFFFFF), Qt::AlignCenter,
                                   gothicFont(8.25)});
    growToText(*label4, QRect(0, 169, 148, 8), {}, 1);
    label3->setBuddy(lblScore_);
    label4->setBuddy(lblMiss_);
    nameCounter(*lblScore_, label3->text());
    nameCounter(*lblMiss_, label4->text());
    lblScore_->setAccessibleDescription(QStringLiteral("ミリ秒の合計。少ないほど良い"));
    lblMiss_->setAccessibleDescription(QStringLiteral("違うキーを押した回数。一回ごとに 500 ミリ秒"));
    new ShapeWidget(QRect(232, 94, 57, 39), 2, std::nullopt, c);  // Shape3: frames the typed letter
    lblType_ = makeLabel(c, {QRect(232, 106, 57, 25), QString(), QColor(0xFFC0FF), Qt::AlignCenter,
                             gothicFont(20.25, true)});
    // Within the frame of the typed letter; where a font's descenders need it, it takes the
    // letter box's top row, which no letter reaches.
    QLabel* label2 = makeLabel(c, {QRect(232, 94, 57, 12), QStringLiteral("Your type"), QColor(0xFFFFFF),
                                   Qt::AlignCenter, defaultFont});
    growToText(*label2, QRect(232, 94, 57, 13));
    // The typed letter fills the frame below the heading, down to the frame's inner edge. (The
    // heading lies in front of the letter box's top row when it takes it.)
    const int letterTop = label2->geometry().bottom() + 1;
    growToText(*lblType_, QRect(232, letterTop, 57, 132 - letterTop), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
               letterTop - 95);
    lblKaisu_ = makeLabel(c, {QRect(8, 104, 65, 17), QString::fromLatin1(kIdleKaisuCaption), QColor(0xFFFFC0),
                              Qt::AlignCenter, defaultFont, true});

    auto* picSwitch = new SurfaceWidget(41, 233, 0xFFFF80, c);
    blit(picSwitch->surface(), 0, 0, 40, 229, loadArtwork(QStringLiteral("lever.png"), 40, 229), 0, 0,
         RasterOp::Copy);
    picSwitch->move(300, 0);

    picLEDMain_ = new SurfaceWidget(300, 25, 0x000000, c);
    picLEDMain_->move(0, 144);

    cmdStart_ = new QPushButton(QStringLiteral("Start (Enter)"), c);
    cmdStart_->setGeometry(0, 200, 300, 28);
    cmdStart_->setFont(defaultFont);
    cmdStart_->setStyleSheet(QStringLiteral("QPushButton { background-color: #FFC0C0; border: 2px outset #FFE0E0; }"
                                            "QPushButton:pressed { border-style: inset; }"
                                            "QPushButton:focus { border-color: #808080; }"));
    // A click must not move the focus to the button, where Space would press it again.
    cmdStart_->setFocusPolicy(Qt::TabFocus);
    cmdStart_->setAttribute(Qt::WA_InputMethodEnabled, false);

    // The reel window: blits land in its surface, which starts in the system window colour.
    picMain_ = new SurfaceWidget(137, 33, 0xFFFFFF, c);
    picMain_->move(80, 96);
    picMain_->setFocusPolicy(Qt::StrongFocus);
    picMain_->setAttribute(Qt::WA_InputMethodEnabled, false);
    picMain_->setAccessibleName(kReelName);
    picMain_->setAccessibleDescription(QStringLiteral("止まった文字と同じキーを押してください"));
    setTabOrder(picMain_, cmdStart_);
    picMain_->setFocus();

    // Enter presses the start button wherever the focus is, and never reaches key judging.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, cmdStart_, &QPushButton::click);
    }
}

void MainWindow::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);
    mnuEnd_ = bar->addAction(QStringLiteral("終了"));
    mnuScore_ = bar->addAction(QStringLiteral("スコアランキング"));
    mnuVersion_ = bar->addAction(QStringLiteral("バージョン情報"));
    connect(mnuEnd_, &QAction::triggered, this, &QWidget::close);
    mnuStats_ = bar->addAction(QStringLiteral("成績"));
    commandKeys_ = new CommandKeys(*bar,
                                   {{mnuEnd_, QKeySequence(Qt::CTRL | Qt::Key_Q)},
                                    {mnuScore_, QKeySequence(Qt::CTRL | Qt::Key_R)},
                                    {mnuVersion_, QKeySequence(Qt::Key_F1)},
                                    {mnuStats_, QKeySequence(Qt::CTRL | Qt::Key_T)}},
                                   *picMain_);
}

void MainWindow::setCommandKeysEnabled(bool enabled)
{
    commandKeys_->setEnabled(enabled);
}

void MainWindow::announceStoppedLetter(const std::string& letter)
{
    // Qt tells assistive technology of the new name (a name-changed event).
    picMain_->setAccessibleName(letter.empty() ? kReelName : kReelName + QStringLiteral(": ") + toQString(letter));
}

void MainWindow::setCloseRequestHandler(std::function<bool()> mayClose)
{
    mayClose_ = std::move(mayClose);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (mayClose_ && !mayClose_()) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::stopAnimations()
{
    timLED_.stop();
    timTitle_.stop();
}

void MainWindow::tickLed()
{
    const LedMarquee::ChangedCells changed = led_.tick(picLEDMain_->surface(), picLEDFront_, picLEDBack_);
    // Only what changed: a whole cell would reach under the MISS and SCORE labels and repaint them.
    QRegion region;
    for (int i = 0; i < changed.count; ++i) {
        const LedMarquee::Area& a = changed.areas[static_cast<std::size_t>(i)];
        region += QRect(a.x, a.y, a.width, a.height);
    }
    picLEDMain_->repaint(region);
}

void MainWindow::tickTitle()
{
    title_.tick(client_->surface(), picTitle_, picTitle2_);
    client_->update(0, 0, 300, 91);
}

QLabel* MainWindow::label(MainLabel which) const
{
    switch (which) {
    case MainLabel::Kaisu: return lblKaisu_;
    case MainLabel::Score: return lblScore_;
    case MainLabel::Miss: return lblMiss_;
    case MainLabel::Type: return lblType_;
    }
    return nullptr;
}

const Surface& MainWindow::windowSurface() const
{
    return client_->surface();
}

std::string MainWindow::caption(MainLabel which) const
{
    return label(which)->text().toStdString();
}

void MainWindow::setCaption(MainLabel which, const std::string& text)
{
    QLabel* shown = label(which);
    shown->setText(toQString(text));
    if (which == MainLabel::Miss || which == MainLabel::Score)
        nameCounter(*shown, QString::fromLatin1(which == MainLabel::Miss ? "MISS" : "SCORE"));
}

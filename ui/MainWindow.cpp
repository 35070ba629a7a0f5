#include "ui/MainWindow.h"

#include "platform/Blit.h"
#include "platform/ModalWatcher.h"
#include "platform/ScreenPresenterChoice.h"
#include "platform/PlainMessageBox.h"
#include "platform/SurfaceImage.h"
#include "platform/SurfaceWidget.h"
#include "platform/MaximizeRefusal.h"
#include "platform/TransientParent.h"
#include "record/RecordWindows.h"
#include "platform/Fonts.h"
#include "ui/KeyRouter.h"
#include "ui/ReelDriver.h"
#include "ui/ShapeWidget.h"
#include "ui/VersionWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#ifdef ZUMIKKO_REACTION_PROBE
#include <cstdio>
#endif

namespace {

constexpr QSize kClientSize(338, 228);
constexpr std::uint32_t kBackground = 0xFFFF80;

Surface loadArtwork(const QString& name, int width, int height)
{
    const QImage image(QStringLiteral(":/art/") + name);
    if (image.isNull())
        return Surface(width, height, 0x000000);
    return surfaceFromImage(image);
}

QString toQString(const std::string& text) { return QString::fromStdString(text); }

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
    auto* label = new QLabel(look.caption, parent);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(look.geometry);
    label->setAlignment(look.alignment);
    label->setFocusPolicy(Qt::NoFocus);
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
    if (look.border) {
        label->setFrameShape(QFrame::Box);
        label->setFrameShadow(QFrame::Plain);
        label->setLineWidth(1);
    }
    return label;
}

} // namespace

MainWindow::MainWindow(Devices devices, const Clock& clock, RandomSource& random, Shell& shell,
                       const std::string& dataDirectory, QWidget* parent)
    : MainWindow(devices, clock, random, shell, dataDirectory, dataDirectory + "/score.dat", parent)
{
}

MainWindow::MainWindow(Devices devices, const Clock& clock, RandomSource& random, Shell& shell,
                       const std::string& dataDirectory, const std::string& recordPath, QWidget* parent)
    : QMainWindow(parent),
      clock_(clock),
      eventTimes_(clock),
      shell_(shell),
      dataDirectory_(dataDirectory),
      sounds_(devices.mciStart, devices.mciKaiten, devices.mciBGM, devices.mciGoal),
      scoreFile_(recordPath),
      recordWindows_(std::make_unique<RecordWindows>(scoreFile_.path(), this)),
      picABC_(loadArtwork(QStringLiteral("abc.png"), 957, 32)),
      picMask_(loadArtwork(QStringLiteral("mask.png"), 957, 32)),
      picLEDFront_(loadArtwork(QStringLiteral("led_front.png"), 8, 25)),
      picLEDBack_(loadArtwork(QStringLiteral("led_back.png"), 8, 25)),
      picTitle_(loadArtwork(QStringLiteral("title_a.png"), 300, 91)),
      picTitle2_(loadArtwork(QStringLiteral("title_b.png"), 300, 91))
{
    setWindowTitle(QStringLiteral("Zumikko"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Letters must reach the game even while a Japanese input method is active.
    setAttribute(Qt::WA_InputMethodEnabled, false);

    buildClientArea();
    buildMenu();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    MaximizeRefusal::attachTo(*this);

    game_ = std::make_unique<Game>(static_cast<GameView&>(*this), sounds_, clock, random, scoreFile_,
                                   Game::Surfaces{picMain_->surface(), picABC_, picMask_});

    presenter_ = createScreenPresenter(*picMain_, eventTimes_, clock_);
    modalWatcher_ = std::make_unique<ModalWatcher>([this] {
        if (reelDriver_)
            reelDriver_->modalChanged();
    });
    reelDriver_ = std::make_unique<ReelDriver>(*game_, clock_, reelTimer_, *presenter_, *modalWatcher_);
    keyRouter_ = new KeyRouter(*this, eventTimes_,
                               [this](int keyCode, std::int64_t pressedAtUs) { KeyClick(keyCode, pressedAtUs); });

    // Load: the dim title frame onto the window's own surface, and the marquee's start positions.
    title_.drawInitialFrame(client_->surface(), picTitle2_);
    client_->update();
    led_.load();

    timLED_.setInterval(50);
    connect(&timLED_, &QTimer::timeout, this, &MainWindow::tickLed);
    timLED_.start();
    timTitle_.setInterval(1000);
    connect(&timTitle_, &QTimer::timeout, this, &MainWindow::tickTitle);
    timTitle_.start();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = sizeHint();
        move(screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
    }
}

MainWindow::~MainWindow()
{
    // Windows hidden while this one goes would otherwise call into the driver being destroyed.
    modalWatcher_.reset();
    reelDriver_.reset();
}

void MainWindow::buildClientArea()
{
    client_ = new SurfaceWidget(kClientSize.width(), kClientSize.height(), kBackground, this);
    setCentralWidget(client_);
    QWidget* c = client_;
    const QFont defaultFont = gothicFont(9);

    // Back to front, so that later widgets cover earlier ones where they overlap.
    new ShapeWidget(QRect(132, 92, 33, 49), 3, QColor(0xFFFFC0), c);  // Shape1: the stop marker
    new ShapeWidget(QRect(80, 96, 137, 33), 5, std::nullopt, c);      // Shape2: the reel frame
    QLabel* label1 = makeLabel(c, {QRect(132, 130, 36, 11), QStringLiteral("？？？"), std::nullopt,
                                   Qt::AlignHCenter | Qt::AlignTop, gothicFont(8.25, true), false, QColor(0x0000FF)});
    growToText(*label1);
    lblScore_ = makeLabel(c, {QRect(152, 176, 148, 25), QStringLiteral("0"), QColor(0xC0FFFF),
                              Qt::AlignRight | Qt::AlignVCenter, minchoFont(18, true)});
    lblMiss_ = makeLabel(c, {QRect(0, 176, 148, 25), QStringLiteral("0"), QColor(0xC0C0FF),
                             Qt::AlignRight | Qt::AlignVCenter, minchoFont(18, true)});
    makeLabel(c, {QRect(152, 168, 148, 9), QStringLiteral("SCORE"), QColor(0xFFFFFF), Qt::AlignCenter,
                  gothicFont(8.25)});  // Label3
    makeLabel(c, {QRect(0, 168, 148, 9), QStringLiteral("MISS"), QColor(0xFFFFFF), Qt::AlignCenter,
                  gothicFont(8.25)});  // Label4
    new ShapeWidget(QRect(232, 94, 57, 39), 2, std::nullopt, c);  // Shape3: frames the typed letter
    lblType_ = makeLabel(c, {QRect(232, 106, 57, 25), QString(), QColor(0xFFC0FF), Qt::AlignCenter,
                             gothicFont(20.25, true)});
    growToText(*makeLabel(c, {QRect(232, 94, 57, 12), QStringLiteral("Your type"), QColor(0xFFFFFF), Qt::AlignCenter,
                              defaultFont}));  // Label2
    lblKaisu_ = makeLabel(c, {QRect(8, 104, 65, 17), QStringLiteral("Let's Start"), QColor(0xFFFFC0),
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
    connect(cmdStart_, &QPushButton::clicked, this, &MainWindow::startGame);

    // The reel window: blits land in its surface, which starts in the system window colour.
    picMain_ = new SurfaceWidget(137, 33, 0xFFFFFF, c);
    picMain_->move(80, 96);
    picMain_->setFocusPolicy(Qt::StrongFocus);
    picMain_->setAttribute(Qt::WA_InputMethodEnabled, false);
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
    connect(mnuScore_, &QAction::triggered, this, [this] { recordWindows_->showScore(); });
    connect(mnuVersion_, &QAction::triggered, this, &MainWindow::showVersion);
}

void MainWindow::startUp()
{
    game_->startUp(dataDirectory_);
}

void MainWindow::KeyClick(int keyCode, std::int64_t pressedAtUs)
{
    game_->KeyClick(keyCode, pressedAtUs);
    reelDriver_->arm();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A new record that has not been stored yet would be lost without a trace: ask first, over
    // the window that holds it.
    if (!closing_) {
        if (QWidget* unsaved = recordWindows_->windowWithUnsavedRecord()) {
            unsaved->raise();
            unsaved->activateWindow();
            if (!PlainMessageBox::ask(unsaved, QStringLiteral("新しい記録はまだ保存されていません。\n"
                                                             "終了すると、この記録は失われます。終了しますか？"))) {
                event->ignore();
                return;
            }
        }
        endProgram();
    }
    event->accept();
}

void MainWindow::endProgram()
{
    // Unload: close the devices and end at once.
    if (closing_)
        return;
    closing_ = true;
    reelTimer_.stop();
    timLED_.stop();
    timTitle_.stop();
    sounds_.close();
    QApplication::exit(0);
}

void MainWindow::startGame()
{
    game_->start();
    reelDriver_->arm();
}

void MainWindow::tickLed()
{
    const LedMarquee::ChangedCells changed = led_.tick(picLEDMain_->surface(), picLEDFront_, picLEDBack_);
    // Only what changed: a whole cell would reach under the MISS and SCORE labels and repaint them.
    for (int i = 0; i < changed.count; ++i) {
        const LedMarquee::Area& a = changed.areas[static_cast<std::size_t>(i)];
        picLEDMain_->update(a.x, a.y, a.width, a.height);
    }
}

void MainWindow::tickTitle()
{
    title_.tick(client_->surface(), picTitle_, picTitle2_);
    client_->update(0, 0, 300, 91);
}

void MainWindow::showVersion()
{
    // Modal: the reel stands still until it closes, as under every modal box.
    VersionWindow window(shell_);
    setTransientParent(window, this);
    MaximizeRefusal::attachTo(window);
    window.exec();
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
    label(which)->setText(toQString(text));
#ifdef ZUMIKKO_REACTION_PROBE
    // Test-only build for bench/reaction_accuracy: the counters it compares, never the typed letter.
    if (which != MainLabel::Type)
        std::fprintf(stderr, "zumikko-probe %s %s\n",
                     which == MainLabel::Score ? "score" : which == MainLabel::Miss ? "miss" : "kaisu", text.c_str());
#endif
}

void MainWindow::reelChanged()
{
    picMain_->update();
}

std::int64_t MainWindow::presentReelNow()
{
    return reelDriver_->presentStop();
}

void MainWindow::showScoreMessage(const std::string& text)
{
    PlainMessageBox::show(this, toQString(text));
}

void MainWindow::openChampionEntry(const std::string& score, const std::string& caption)
{
    recordWindows_->showChampionEntry(toQString(score), toQString(caption));
}

void MainWindow::reportProblem(const std::string& message)
{
    PlainMessageBox::show(this, toQString(message));
}

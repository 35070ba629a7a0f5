// Whole texts in the four windows, whatever Japanese font the desktop has: ctest runs these
// tests again with IPA, VL Gothic and Noto CJK as the only fonts, and at several scale factors.
// What a text covers is found by drawing it, not from the layout code's own arithmetic.
#include "platform/Fonts.h"
#include "ui/MainWindow.h"
#include "ui/ShapeWidget.h"
#include "ui/VersionWindow.h"

#include "fakes/RecordingShell.h"
#include "platform/SteadyClock.h"
#include "platform/SurfaceWidget.h"
#include "record/ScoreFile.h"
#include "record/ScoreWindow.h"
#include "record/UserNameWindow.h"
#include "results/StatsWindow.h"
#include "tests/record/RecordWindowTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

std::string nameOf(const QWidget* widget)
{
    if (!widget->objectName().isEmpty())
        return widget->objectName().toStdString();
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return "\"" + label->text().toStdString() + "\"";
    return widget->metaObject()->className();
}

std::string describe(const QRect& r)
{
    return "(" + std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x"
           + std::to_string(r.height()) + ")";
}

// Where a label lays out its text, in its own coordinates, as QLabel does it: the contents less
// the margin, and for a framed label without an indent of its own, half an x on the aligned sides.
QRect textArea(const QLabel& label)
{
    QRect area = label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
    const int indent = label.indent() < 0 && label.frameWidth() > 0
                           ? label.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - label.margin()
                           : label.indent();
    if (indent > 0) {
        const Qt::Alignment a = label.alignment();
        area.adjust(a & Qt::AlignLeft ? indent : 0, a & Qt::AlignTop ? indent : 0, a & Qt::AlignRight ? -indent : 0,
                    a & Qt::AlignBottom ? -indent : 0);
    }
    return area;
}

// The pixels `text` covers when `label` shows it, in the label's coordinates. QLabel clips its
// text to its text area, so a copy of the label draws it with that area stretched on the sides
// the alignment leaves free (both for a centred text, none across a wrapped one), which puts the
// text exactly where the label puts it and cuts nothing off. It draws at the screen's pixel
// ratio; pixels under a quarter covered do not count.
QRect drawnText(const QLabel& label, const QString& text)
{
    constexpr int pad = 60;
    QLabel copy;
    copy.setTextFormat(Qt::PlainText);
    copy.setText(text);
    copy.setFont(label.font());
    copy.setAlignment(label.alignment());
    copy.setWordWrap(label.wordWrap());
    copy.setIndent(0);
    const Qt::Alignment a = label.alignment();
    const bool acrossFree = !label.wordWrap();
    const QMargins stretch(acrossFree && !(a & Qt::AlignLeft) ? pad : 0, !(a & Qt::AlignTop) ? pad : 0,
                           acrossFree && !(a & Qt::AlignRight) ? pad : 0, !(a & Qt::AlignBottom) ? pad : 0);
    const QRect area = textArea(label);
    copy.setContentsMargins(QMargins(area.left(), area.top(), label.width() - area.right() - 1,
                                     label.height() - area.bottom() - 1)
                            + QMargins(pad, pad, pad, pad) - stretch);
    copy.resize(label.size() + QSize(2 * pad, 2 * pad));
    QPalette palette = copy.palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    copy.setPalette(palette);

    const qreal ratio = label.devicePixelRatioF();
    QImage image(copy.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    copy.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);

    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) >= 64) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    // A screen pixel belongs to the layout's pixel its centre lies in. At a scale factor other
    // than 1 labels still stand on whole layout pixels while glyphs are placed and drawn on
    // screen pixels: the baseline moves by up to half a layout pixel, and the overshoot of round
    // letters, which rounds away at scale 1, can add the other half. No layout in whole layout
    // pixels can take that back, so one layout pixel is allowed there.
    const double slack = ratio == 1.0 ? 0.0 : 1.0;
    const auto logical = [ratio, pad](int device, double towardsInside) {
        return static_cast<int>(std::floor((device + 0.5) / ratio + towardsInside)) - pad;
    };
    return QRect(QPoint(logical(left, slack), logical(top, slack)), QPoint(logical(right, -slack), logical(bottom, -slack)));
}

// The outline ring a shape or a frame paints, in `root`'s coordinates.
QRegion paintedBorder(const QWidget& widget, const QWidget& root)
{
    if (const auto* shape = qobject_cast<const ShapeWidget*>(&widget)) {
        const int inside = shape->outlineWidth() / 2;
        const int outside = shape->outlineWidth() - inside;
        const QRect r = shape->rectangle();
        const QPoint offset = widget.parentWidget()->mapTo(&root, QPoint());
        return QRegion(r.adjusted(-outside, -outside, outside, outside).translated(offset))
            .subtracted(QRegion(r.adjusted(inside, inside, -inside, -inside).translated(offset)));
    }
    const auto& frame = static_cast<const QFrame&>(widget);
    const QRect r(widget.mapTo(&root, QPoint()), widget.size());
    const int w = frame.frameWidth();
    return QRegion(r).subtracted(QRegion(r.adjusted(w, w, -w, -w)));
}

bool isInFrontOf(const QWidget* a, const QWidget* b)
{
    if (a->parentWidget() != b->parentWidget())
        return false;
    const QObjectList& siblings = a->parentWidget()->children();
    return siblings.indexOf(a) > siblings.indexOf(b);
}

struct Layout {
    const QWidget* root;
    // The texts a label shows over its life, where they are not only its present caption.
    std::map<const QLabel*, std::vector<QString>> texts;
    // Labels the layout itself lays over each other (a shadow, a heading's last row).
    std::vector<std::pair<const QLabel*, const QLabel*>> designedOverlaps;
    // Where a label may stand after it grew to its text: its neighbours' and the edges' bounds.
    std::map<const QLabel*, QRect> rooms;
};

// Every text shows whole: nothing of it is cut off by its label, hidden by a control or the
// label in front of it, drawn over another text or a painted border, or touching the window's
// edge; no two labels overlap unless the layout lays them so; a grown label stays in its room.
void expectWholeTexts(const Layout& layout)
{
    const QWidget& root = *layout.root;
    std::vector<const QLabel*> labels;
    std::vector<const QWidget*> solid;
    std::vector<const QWidget*> bordered;
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        const auto* label = qobject_cast<const QLabel*>(w);
        if (label != nullptr && label->pixmap().isNull())
            labels.push_back(label);
        else if (label != nullptr || qobject_cast<const SurfaceWidget*>(w) || qobject_cast<const QAbstractButton*>(w)
                 || qobject_cast<const QLineEdit*>(w))
            solid.push_back(w);
        else if (qobject_cast<const ShapeWidget*>(w) || w->metaObject() == &QFrame::staticMetaObject)
            bordered.push_back(w);
    }
    ASSERT_FALSE(labels.empty());

    const auto inRoot = [&root](const QWidget* w, const QRect& r) { return r.translated(w->mapTo(&root, QPoint())); };
    const auto rectOf = [&](const QWidget* w) { return inRoot(w, w->rect()); };
    std::map<const QLabel*, std::vector<QRect>> inks;
    for (const QLabel* label : labels) {
        std::vector<QString> texts{label->text()};
        if (const auto it = layout.texts.find(label); it != layout.texts.end())
            texts = it->second;
        for (const QString& text : texts)
            if (!text.isEmpty())
                inks[label].push_back(drawnText(*label, text));
    }

    const auto designed = [&layout](const QLabel* a, const QLabel* b) {
        return std::any_of(layout.designedOverlaps.begin(), layout.designedOverlaps.end(), [&](const auto& pair) {
            return (pair.first == a && pair.second == b) || (pair.first == b && pair.second == a);
        });
    };
    const QRect inside = root.rect().adjusted(2, 2, -2, -2);
    for (const QLabel* label : labels) {
        const std::string name = nameOf(label);
        if (label->frameShape() != QFrame::NoFrame) {
            EXPECT_EQ(label->frameRect(), label->rect()) << name << "'s box is not drawn around it";
        }
        const QRect area = inRoot(label, textArea(*label));
        for (const QRect& ink : inks[label]) {
            const QRect text = inRoot(label, ink);
            const std::string where = name + " draws its text at " + describe(text);
            EXPECT_TRUE(area.contains(text)) << where << ", cut off by its text area " << describe(area);
            EXPECT_TRUE(inside.contains(text)) << where << ", touching the window's edge";
            for (const QWidget* other : solid)
                if (other != label && !other->isAncestorOf(label)) {
                    EXPECT_FALSE(rectOf(other).intersects(text)) << where << ", under " << nameOf(other);
                }
            for (const QWidget* border : bordered)
                // An opaque label in front of a border hides it.
                if (!(label->autoFillBackground() && isInFrontOf(label, border))) {
                    EXPECT_TRUE(paintedBorder(*border, root).intersected(text).isEmpty())
                        << where << ", over the border of " << nameOf(border);
                }
            for (const QLabel* other : labels) {
                if (other == label)
                    continue;
                if (other->autoFillBackground() && isInFrontOf(other, label)) {
                    EXPECT_FALSE(rectOf(other).intersects(text)) << where << ", under the background of " << nameOf(other);
                }
                if (designed(label, other))
                    continue;  // a shadow lies under its text by design
                for (const QRect& otherInk : inks[other])
                    EXPECT_FALSE(inRoot(other, otherInk).intersects(text)) << where << ", over the text of " << nameOf(other);
            }
        }
    }

    for (std::size_t i = 0; i < labels.size(); ++i) {
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            const QLabel* a = labels[i];
            const QLabel* b = labels[j];
            if (!designed(a, b)) {
                EXPECT_FALSE(rectOf(a).intersects(rectOf(b)))
                    << nameOf(a) << " " << describe(rectOf(a)) << " overlaps " << nameOf(b) << " " << describe(rectOf(b));
            }
        }
    }
    for (const auto& [label, room] : layout.rooms)
        EXPECT_TRUE(room.contains(rectOf(label))) << nameOf(label) << " at " << describe(rectOf(label))
                                                  << " has left its room " << describe(room);
}

// The program's own default font, as main() sets it, for the time of one test.
class WindowLayoutTest : public ::testing::Test {
protected:
    WindowLayoutTest() : savedFont_(QApplication::font()) { QApplication::setFont(gothicFont(9)); }
    ~WindowLayoutTest() override { QApplication::setFont(savedFont_); }

    template <typename Window>
    static void showAndWait(Window& window)
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    static const QLabel* child(const QWidget& window, const char* name)
    {
        const auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(label, nullptr) << name;
        return label;
    }

private:
    QFont savedFont_;
};

std::vector<QString> everyLetter()
{
    std::vector<QString> letters;
    for (char c = 'A'; c <= 'Z'; ++c)
        letters.push_back(QString(QLatin1Char(c)));
    return letters;
}

TEST_F(WindowLayoutTest, mainWindowShowsEveryTextWhole)
{
    MainWindow window;
    showAndWait(window);

    const auto byText = [&window](const QString& text) -> const QLabel* {
        for (const QLabel* label : window.centralWidget()->findChildren<QLabel*>())
            if (label->text() == text)
                return label;
        ADD_FAILURE() << "no label " << text.toStdString();
        return nullptr;
    };
    const QLabel* miss = byText("MISS");
    const QLabel* score = byText("SCORE");
    const QLabel* marker = byText("？？？");
    ASSERT_TRUE(miss && score && marker);
    // The two counters and their headings are one pair of columns, side by side.
    EXPECT_EQ(score->geometry(), miss->geometry().translated(152, 0));
    EXPECT_EQ(window.label(MainLabel::Score)->geometry(), window.label(MainLabel::Miss)->geometry().translated(152, 0));
    const std::vector<QString> counts{"0", "1234567"};
    expectWholeTexts({window.centralWidget(),
                      {{window.label(MainLabel::Kaisu), {"Let's Start", "あと10回", "あと1回"}},
                       {window.label(MainLabel::Type), everyLetter()},
                       {window.label(MainLabel::Miss), counts},
                       {window.label(MainLabel::Score), counts}},
                      {{miss, window.label(MainLabel::Miss)},
                       {score, window.label(MainLabel::Score)},
                       {byText("Your type"), window.label(MainLabel::Type)}},
                      // Between the LED bar and the counters; in the stop marker's lower tab,
                      // which may grow by 2 rows towards the LED bar.
                      {{miss, QRect(0, 168, 148, 9)},
                       {score, QRect(152, 168, 148, 9)},
                       {window.label(MainLabel::Miss), QRect(0, 176, 148, 25)},
                       {window.label(MainLabel::Score), QRect(152, 176, 148, 25)},
                       {window.label(MainLabel::Type), QRect(232, 94, 57, 38)},
                       {marker, QRect(132, 129, 33, 14)},
                       {byText("Your type"), QRect(232, 94, 57, 13)}}});
}

TEST_F(WindowLayoutTest, versionWindowShowsEveryTextWhole)
{
    RecordingShell shell;
    VersionWindow window(shell);
    showAndWait(window);
    const QLabel* front = child(window, "lblTitleFront");
    const QLabel* back = child(window, "lblTitleBack");
    ASSERT_TRUE(front && back);
    // The shadow is the same text again, 2 pixels right of and below the name.
    EXPECT_EQ(back->geometry(), front->geometry().translated(2, 2));
    // Each label within its band: the name above the version line, the credits above the logo.
    const Layout layout{&window,
                        {},
                        {{front, back}},
                        {{front, QRect(2, 1, 254, 57)},
                         {child(window, "lblVersion"), QRect(2, 57, 254, 20)},
                         {child(window, "lblProduced"), QRect(2, 77, 254, 29)},
                         {child(window, "lblReserved"), QRect(2, 106, 254, 32)}}};
    expectWholeTexts(layout);
}

TEST_F(WindowLayoutTest, nameEntryWindowShowsEveryTextWhole)
{
    ReportedProblems problems;
    SteadyClock clock;
    UserNameWindow window(clock, problems.reporter());
    window.setWindowTitle(QStringLiteral("おめでとう！！　　過去最高スコアです。"));
    showAndWait(window);
    expectWholeTexts({&window,
                      {{window.lblScore(), {"1234567"}}},
                      {},
                      {{child(window, "lblMessage"), QRect(2, 2, 294, 54)},
                       {child(window, "Label1"), QRect(2, 50, 100, 40)},
                       {child(window, "Label3"), QRect(2, 82, 100, 50)}}});
}

TEST_F(WindowLayoutTest, bestScoreWindowShowsEveryTextWhole)
{
    ReportedProblems problems;
    const ScoreFile nowhere("/nonexistent/score.dat");
    ScoreWindow window(nowhere, problems.reporter());
    showAndWait(window);
    expectWholeTexts({&window,
                      {{window.lblName(), {"-", "山田太郎", "Quigley"}}, {window.lblScore(), {"0", "1234567"}}},
                      {{window.lblName(), window.lblScore()}},  // they share a border
                      {{child(window, "Label2"), QRect(4, 40, 74, 36)}}});
    // The name box gives the heading only what it needs and keeps its right edge.
    EXPECT_EQ(window.lblName()->geometry().right(), QRect(72, 48, 137, 21).right());
    EXPECT_GE(window.lblName()->width(), 120);
}

TEST_F(WindowLayoutTest, resultsWindowAtItsLeastSizeShowsEveryPartWhole)
{
    HistorySummary summary;
    FinishedGame game{1'765'000'000'000, 540, 4970, 2, {}};
    for (int stop = 0; stop < 10; ++stop)
        game.stops.push_back({static_cast<char>('A' + stop), 400'000 + stop * 10'000, stop % 3});
    summary.add(game);
    summary.leftOut = {1, 2, 3, 4, 5};  // the longest line over the tabs
    StatsWindow window;
    window.setFigures(computeResultsFigures(summary));
    showAndWait(window);
    const QSize least = window.minimumSize();
    EXPECT_GE(least.width(), 200);
    EXPECT_LE(least.width(), 640) << "long lines wrap: the window still fits the size it opens at";
    window.resize(least);
    QTRY_COMPARE(window.size(), least);
    for (int tab = 0; tab < StatsWindow::kTabs; ++tab) {
        window.tabs()->setCurrentIndex(tab);
        QApplication::processEvents();
        for (const QWidget* part : window.findChildren<QWidget*>()) {
            if (!part->isVisible() || part->isWindow())
                continue;
            const QRect room = part->parentWidget()->rect();
            const std::string name = part->metaObject()->className() + std::string(" ") + part->objectName().toStdString();
            EXPECT_TRUE(room.contains(part->geometry())) << name << " leaves its parent on tab " << tab;
            const QSize needs = part->minimumSizeHint();
            EXPECT_GE(part->width(), needs.width()) << name << " on tab " << tab;
            const int height = part->hasHeightForWidth() ? part->heightForWidth(part->width()) : needs.height();
            EXPECT_GE(part->height(), height) << name << " on tab " << tab;
        }
    }
}

} // namespace

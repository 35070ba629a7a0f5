#include "platform/Fonts.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QStringList>
#include <QStyle>
#include <QtMath>

#include <algorithm>

namespace {

QFont font(const QStringList& families, double pointSize, bool bold)
{
    QFont result;
    result.setFamilies(families);
    result.setPointSizeF(pointSize);
    result.setBold(bold);
    return result;
}

// The rectangle a QLabel lays its text out in, in its own coordinates: the contents less the
// margin, and for a framed label without an indent of its own, half an x on its aligned sides.
QRectF textArea(const QLabel& label)
{
    QRect area = label.contentsRect();
    const int margin = label.margin();
    area.adjust(margin, margin, -margin, -margin);
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0)
        indent = label.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin;
    if (indent > 0) {
        const Qt::Alignment alignment = QStyle::visualAlignment(label.layoutDirection(), label.alignment());
        if (alignment & Qt::AlignLeft)
            area.setLeft(area.left() + indent);
        if (alignment & Qt::AlignRight)
            area.setRight(area.right() - indent);
        if (alignment & Qt::AlignTop)
            area.setTop(area.top() + indent);
        if (alignment & Qt::AlignBottom)
            area.setBottom(area.bottom() - indent);
    }
    return area;
}

// The line boxes of the label's text where the label draws them.
QRectF lineBoxes(const QLabel& label)
{
    int flags = static_cast<int>(label.alignment());
    if (label.wordWrap())
        flags |= Qt::TextWordWrap;
    return QFontMetricsF(label.font()).boundingRect(textArea(label), flags, label.text());
}

// Places the label's one line of text so that its glyphs, not its line box, sit as centred in
// `room` from top to bottom as QLabel allows. Its text area never reaches past the label (it
// takes no negative margins) and it clips the text to that area, so the text can only be
// aligned to the top, the middle or the bottom of the label, and pushed down by a top margin;
// the label may therefore reach up to `hiddenAbove` rows above the room (a neighbour in front
// hides them) where that puts the glyphs in the room.
void centreGlyphsVertically(QLabel& label, const QRect& room, int hiddenAbove)
{
    const QFontMetricsF metrics(label.font());
    const QRectF glyphs = metrics.tightBoundingRect(label.text());
    const int glyphTop = qRound(glyphs.top());
    const int glyphBottom = qCeil(glyphs.bottom());
    const Qt::Alignment horizontal = label.alignment() & Qt::AlignHorizontal_Mask;
    const int wantedBaseline = room.top() + (room.height() - (glyphBottom - glyphTop)) / 2 - glyphTop;

    struct Placement {
        int top;
        Qt::Alignment vertical;
        int topMargin;
    };
    // (A QFrame keeps its frame's width among the contents margins.)
    const QMargins margins = label.contentsMargins();
    // Glyphs stand on a whole-pixel baseline: the rounded position of the line's top plus ascent.
    const auto baselineOf = [&](const Placement& p) {
        label.setGeometry(label.x(), p.top, label.width(), room.bottom() + 1 - p.top);
        label.setAlignment(horizontal | p.vertical);
        label.setContentsMargins(margins + QMargins(0, p.topMargin, 0, 0));
        return p.top + qRound(lineBoxes(label).top() + metrics.ascent());
    };
    // A framed label's glyphs keep off its frame.
    const int top = room.top() + label.frameWidth();
    const int bottom = room.bottom() - label.frameWidth();
    const auto badness = [&](int baseline) {
        const int cut = std::max(0, top - (baseline + glyphTop)) + std::max(0, baseline + glyphBottom - bottom - 1);
        return cut * 1000 + std::abs(baseline - wantedBaseline);
    };
    Placement best{room.top(), Qt::AlignVCenter, 0};
    int bestBadness = badness(baselineOf(best));
    for (int labelTop = room.top() - hiddenAbove; labelTop <= room.top(); ++labelTop) {
        // A framed label draws its frame around its contents: its text is not pushed down.
        const int pushDown = label.frameWidth() > 0
                                 ? 0
                                 : std::max(0, wantedBaseline - labelTop - qRound(metrics.ascent()));
        for (const Placement& p : {Placement{labelTop, Qt::AlignVCenter, 0}, Placement{labelTop, Qt::AlignTop, pushDown},
                                   Placement{labelTop, Qt::AlignBottom, 0}}) {
            const int b = badness(baselineOf(p));
            if (b < bestBadness) {
                best = p;
                bestBadness = b;
            }
        }
    }
    baselineOf(best);
}

// Where a span of `length` starting at `start` goes inside the span of the room.
std::pair<int, int> placeInside(int start, int length, int roomStart, int roomLength)
{
    if (length >= roomLength)
        return {roomStart, roomLength};
    return {std::clamp(start, roomStart, roomStart + roomLength - length), length};
}

void fitText(QLabel& label, const QRect& room, int hiddenAbove);

} // namespace

void growToText(QLabel& label, const QRect& room, const QString& sample, int hiddenAbove)
{
    // Measured and placed with the sample; the label then shows its own text in that place.
    const QString text = label.text();
    if (!sample.isEmpty())
        label.setText(sample);
    fitText(label, room, hiddenAbove);
    label.setText(text);
}

namespace {
void fitText(QLabel& label, const QRect& room, int hiddenAbove)
{
    const QRectF area = textArea(label);
    QRectF needed = lineBoxes(label);
    // A glyph can reach past its line box (a descender below a small descent, a left bearing).
    if (!label.wordWrap() && !label.text().isEmpty()) {
        const QFontMetricsF metrics(label.font());
        const double baseline = qRound(needed.top() + metrics.ascent());
        needed = needed.united(metrics.tightBoundingRect(label.text()).translated(needed.left(), baseline));
    }
    int left = qCeil(std::max(0.0, area.left() - needed.left()));
    int top = qCeil(std::max(0.0, area.top() - needed.top()));
    int right = qCeil(std::max(0.0, needed.right() - area.right()));
    int bottom = qCeil(std::max(0.0, needed.bottom() - area.bottom()));
    // A centred text stays where it is only if its label grows alike on both sides.
    if (label.alignment() & Qt::AlignHCenter)
        left = right = std::max(left, right);
    if (label.alignment() & Qt::AlignVCenter)
        top = bottom = std::max(top, bottom);
    const QRect grown = label.geometry().marginsAdded(QMargins(left, top, right, bottom));
    if (room.contains(grown)) {
        label.setGeometry(grown);
        return;
    }
    const auto [x, width] = placeInside(grown.x(), grown.width(), room.x(), room.width());
    const auto [y, height] = placeInside(grown.y(), grown.height(), room.y(), room.height());
    label.setGeometry(x, y, width, height);
    if (height < grown.height() && !label.wordWrap())
        centreGlyphsVertically(label, QRect(x, y, width, height), hiddenAbove);
}

} // namespace

QFont gothicFont(double pointSize, bool bold)
{
    return font(QStringList{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                            QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
                            QStringLiteral("VL Gothic"), QStringLiteral("TakaoPGothic"), QStringLiteral("TakaoGothic")},
                pointSize, bold);
}

QFont minchoFont(double pointSize, bool bold)
{
    return font(QStringList{QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho"),
                            QStringLiteral("Noto Serif CJK JP"), QStringLiteral("TakaoPMincho"),
                            QStringLiteral("TakaoMincho")},
                pointSize, bold);
}

#include "results/KeyboardChart.h"

#include <QPainter>

#include <algorithm>

namespace {

const char* const kRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
constexpr QColor kUnknown(0xc8, 0xc8, 0xc8);

} // namespace

KeyboardChart::KeyboardChart(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(440, 200);
}

void KeyboardChart::setLetters(const std::array<Statistics::LetterSummary, 26>& letters, int leastReactions)
{
    letters_ = letters;
    leastReactions_ = leastReactions;
    bool any = false;
    for (const Statistics::LetterSummary& letter : letters_) {
        if (letter.count < leastReactions_ || letter.count == 0)
            continue;
        fastestMs_ = any ? std::min(fastestMs_, letter.medianMs) : letter.medianMs;
        slowestMs_ = any ? std::max(slowestMs_, letter.medianMs) : letter.medianMs;
        any = true;
    }
    update();
}

QColor KeyboardChart::keyColour(char letter) const
{
    if (letter < 'A' || letter > 'Z')
        return kUnknown;
    const Statistics::LetterSummary& summary = letters_[static_cast<std::size_t>(letter - 'A')];
    if (summary.count < leastReactions_ || summary.count == 0)
        return kUnknown;
    const double span = slowestMs_ - fastestMs_;
    const double slowness = span > 0 ? (summary.medianMs - fastestMs_) / span : 0;
    // Hue 120 (green) for the fastest letter down to 0 (red) for the slowest.
    return QColor::fromHsvF(static_cast<float>((1.0 - slowness) / 3.0), 0.55f, 0.95f);
}

void KeyboardChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    const int gap = 4;
    const int keySize = std::min((width() - 16 - 9 * gap) / 10, (height() - 16 - 2 * gap) / 3);
    QFont small = font();
    small.setPointSizeF(std::max(6.0, font().pointSizeF() * 0.8));
    QFont big = font();
    big.setPointSizeF(font().pointSizeF() * 1.5);
    big.setBold(true);
    const int totalWidth = 10 * keySize + 9 * gap;
    const int left0 = (width() - totalWidth) / 2;
    const int top0 = (height() - (3 * keySize + 2 * gap)) / 2;
    for (int row = 0; row < 3; ++row) {
        const int indent = row * keySize / 2;
        for (int column = 0; kRows[row][column] != '\0'; ++column) {
            const char letter = kRows[row][column];
            const QRectF key(left0 + indent + column * (keySize + gap), top0 + row * (keySize + gap), keySize, keySize);
            painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
            painter.setBrush(keyColour(letter));
            painter.drawRoundedRect(key, 5, 5);
            painter.setPen(Qt::black);
            painter.setFont(big);
            painter.drawText(key.adjusted(4, 2, -4, -key.height() / 2), Qt::AlignLeft | Qt::AlignTop, QString(QChar(letter)));
            const Statistics::LetterSummary& summary = letters_[static_cast<std::size_t>(letter - 'A')];
            painter.setFont(small);
            if (summary.count > 0) {
                painter.drawText(key.adjusted(3, key.height() / 2, -3, -2), Qt::AlignRight | Qt::AlignBottom,
                                 QStringLiteral("%1\n%2回").arg(summary.medianMs, 0, 'f', 0).arg(summary.count));
            }
        }
    }
}

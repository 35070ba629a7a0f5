#include "results/KeyboardChart.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace {

const char* const kRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
constexpr QColor kUnknown(0xc8, 0xc8, 0xc8);
constexpr QColor kUsual(0xfa, 0xfa, 0xee);
constexpr QColor kFaster(0x2e, 0xa0, 0x50);
constexpr QColor kSlower(0xd8, 0x3a, 0x2a);

QColor blend(QColor from, QColor to, double amount)
{
    const auto mix = [amount](int a, int b) { return static_cast<int>(a + (b - a) * amount + 0.5); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

QColor toneColour(double tone)
{
    return tone < 0 ? blend(kUsual, kFaster, -tone) : blend(kUsual, kSlower, tone);
}

QString ms(double value)
{
    return QStringLiteral("%1 ms").arg(value, 0, 'f', 0);
}

} // namespace

KeyboardChart::KeyboardChart(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(280, 210);
}

void KeyboardChart::setLetters(const std::array<Statistics::LetterSummary, 26>& letters, int leastReactions,
                               double usualMs, double scaleMs)
{
    letters_ = letters;
    leastReactions_ = leastReactions;
    usualMs_ = usualMs;
    scaleMs_ = scaleMs;
    update();
}

QColor KeyboardChart::keyColour(char letter) const
{
    if (letter < 'A' || letter > 'Z')
        return kUnknown;
    const Statistics::LetterSummary& summary = letters_[static_cast<std::size_t>(letter - 'A')];
    if (summary.count < leastReactions_ || summary.count == 0)
        return kUnknown;
    return toneColour(Statistics::tone(summary.medianMs, usualMs_, scaleMs_));
}

void KeyboardChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(font());
    const double h = metrics.height();
    QFont small = font();
    small.setPointSizeF(std::max(6.5, font().pointSizeF() * 0.75));
    const QFontMetricsF smallMetrics(small);
    QFont big = font();
    big.setPointSizeF(font().pointSizeF() * 1.3);
    big.setBold(true);

    // The legend: a bar from green to red, its ends and middle named in ms under it.
    const double legendHeight = 10 + 2 + h;
    const QString faster = QStringLiteral("速い");
    const QString slower = QStringLiteral("遅い");
    const double barLeft = 6 + metrics.horizontalAdvance(faster) + 6;
    const double barRight = width() - 6 - metrics.horizontalAdvance(slower) - 6;
    const double barTop = height() - 4 - legendHeight;
    QLinearGradient gradient(barLeft, 0, barRight, 0);
    gradient.setColorAt(0, toneColour(-1));
    gradient.setColorAt(0.5, toneColour(0));
    gradient.setColorAt(1, toneColour(1));
    const QRectF bar(barLeft, barTop, std::max(1.0, barRight - barLeft), 10);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.setBrush(gradient);
    painter.drawRect(bar);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(6, barTop + 5 - h / 2, barLeft - 12, h), Qt::AlignRight | Qt::AlignVCenter, faster);
    painter.drawText(QRectF(barRight + 6, barTop + 5 - h / 2, width() - barRight - 12, h),
                     Qt::AlignLeft | Qt::AlignVCenter, slower);
    const QRectF scaleRow(barLeft, barTop + 12, bar.width(), h);
    painter.drawText(scaleRow, Qt::AlignLeft | Qt::AlignTop, ms(std::max(0.0, usualMs_ - scaleMs_)));
    painter.drawText(scaleRow, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("中央値 %1").arg(ms(usualMs_)));
    painter.drawText(scaleRow, Qt::AlignRight | Qt::AlignTop, ms(usualMs_ + scaleMs_));

    const double gap = 3;
    const double keysBottom = barTop - 8;
    const double keyWidth = std::max(8.0, (width() - 12 - 9 * gap) / 10);
    const double keyHeight = std::max(8.0, std::min(keyWidth * 1.5, (keysBottom - 4 - 2 * gap) / 3));
    const double left0 = (width() - (10 * keyWidth + 9 * gap)) / 2;
    const double top0 = std::max(4.0, (keysBottom - (3 * keyHeight + 2 * gap)) / 2);
    for (int row = 0; row < 3; ++row) {
        const double indent = row * keyWidth / 2;
        for (int column = 0; kRows[row][column] != '\0'; ++column) {
            const char letter = kRows[row][column];
            const QRectF key(left0 + indent + column * (keyWidth + gap), top0 + row * (keyHeight + gap), keyWidth,
                             keyHeight);
            painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
            painter.setBrush(keyColour(letter));
            painter.drawRoundedRect(key, 4, 4);
            painter.setPen(Qt::black);
            painter.setFont(big);
            painter.drawText(key.adjusted(3, 1, -2, 0), Qt::AlignLeft | Qt::AlignTop, QString(QChar(letter)));
            const Statistics::LetterSummary& summary = letters_[static_cast<std::size_t>(letter - 'A')];
            if (summary.count > 0) {
                painter.setFont(small);
                QString count = QStringLiteral("%1回").arg(summary.count);
                if (smallMetrics.horizontalAdvance(count) > key.width() - 4)
                    count = QString::number(summary.count);
                painter.drawText(key.adjusted(2, 0, -2, -1), Qt::AlignRight | Qt::AlignBottom,
                                 QStringLiteral("%1\n%2").arg(summary.medianMs, 0, 'f', 0).arg(count));
            }
            painter.setFont(font());
        }
    }
}

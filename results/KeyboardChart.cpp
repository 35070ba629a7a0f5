#include "results/KeyboardChart.h"

#include "results/ChartPainter.h"
#include "results/KeyboardLayout.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace {

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

KeyboardLayout::Keyboard KeyboardChart::layout() const
{
    const QFontMetricsF metrics(font());
    return KeyboardLayout::layout(
        {0, 0, static_cast<double>(width()), static_cast<double>(height())},
        {[metrics](const std::string& text) { return metrics.horizontalAdvance(QString::fromStdString(text)); },
         metrics.height()});
}

void KeyboardChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont small = font();
    small.setPointSizeF(std::max(6.5, font().pointSizeF() * 0.75));
    const QFontMetricsF smallMetrics(small);
    QFont big = font();
    big.setPointSizeF(font().pointSizeF() * 1.3);
    big.setBold(true);

    const KeyboardLayout::Keyboard keyboard = layout();

    // The legend: a bar from green to red, its ends and middle named in ms under it.
    const QRectF bar = ChartPainter::rectOf(keyboard.bar);
    QLinearGradient gradient(keyboard.bar.left, 0, keyboard.bar.right(), 0);
    gradient.setColorAt(0, toneColour(-1));
    gradient.setColorAt(0.5, toneColour(0));
    gradient.setColorAt(1, toneColour(1));
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.setBrush(gradient);
    painter.drawRect(bar);
    painter.setPen(Qt::black);
    painter.drawText(ChartPainter::rectOf(keyboard.faster.box), Qt::AlignRight | Qt::AlignVCenter,
                     QString::fromStdString(keyboard.faster.text));
    painter.drawText(ChartPainter::rectOf(keyboard.slower.box), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromStdString(keyboard.slower.text));
    const QRectF scaleRow = ChartPainter::rectOf(keyboard.scale);
    painter.drawText(scaleRow, Qt::AlignLeft | Qt::AlignTop, ms(std::max(0.0, usualMs_ - scaleMs_)));
    painter.drawText(scaleRow, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("中央値 %1").arg(ms(usualMs_)));
    painter.drawText(scaleRow, Qt::AlignRight | Qt::AlignTop, ms(usualMs_ + scaleMs_));

    for (const KeyboardLayout::Key& key : keyboard.keys) {
        const QRectF box = ChartPainter::rectOf(key.box);
        painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
        painter.setBrush(keyColour(key.letter));
        painter.drawRoundedRect(box, 4, 4);
        painter.setPen(Qt::black);
        painter.setFont(big);
        painter.drawText(box.adjusted(3, 1, -2, 0), Qt::AlignLeft | Qt::AlignTop, QString(QChar(key.letter)));
        const Statistics::LetterSummary& summary = letters_[static_cast<std::size_t>(key.letter - 'A')];
        if (summary.count > 0) {
            painter.setFont(small);
            QString count = QStringLiteral("%1回").arg(summary.count);
            if (smallMetrics.horizontalAdvance(count) > box.width() - 4)
                count = QString::number(summary.count);
            painter.drawText(box.adjusted(2, 0, -2, -1), Qt::AlignRight | Qt::AlignBottom,
                             QStringLiteral("%1\n%2").arg(summary.medianMs, 0, 'f', 0).arg(count));
        }
        painter.setFont(font());
    }
}

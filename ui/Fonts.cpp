#include "ui/Fonts.h"

#include <QLabel>
#include <QStringList>

namespace {

QFont font(const QStringList& families, double pointSize, bool bold)
{
    QFont result;
    result.setFamilies(families);
    result.setPointSizeF(pointSize);
    result.setBold(bold);
    return result;
}

} // namespace

void growToText(QLabel& label)
{
    label.resize(label.size().expandedTo(label.sizeHint()));
}

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

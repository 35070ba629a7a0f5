#include "platform/Fonts.h"

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

QFont gothicFont(double pointSize, bool bold)
{
    return font(QStringList{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")}, pointSize, bold);
}

QFont minchoFont(double pointSize, bool bold)
{
    return font(QStringList{QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho")}, pointSize, bold);
}

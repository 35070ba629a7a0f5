#include "tools/artwork/OutlineFont.h"

#include <QTransform>

#include <stdexcept>

namespace {
// Outlines are taken at a large size and scaled by the pictures themselves.
constexpr qreal outlineSize = 200.0;
}

OutlineFont::OutlineFont(const QString& path, const QString& package)
    : font_(path, outlineSize, QFont::PreferNoHinting)
{
    if (!font_.isValid())
        throw std::runtime_error(
            QStringLiteral("cannot read the font %1 (install the Debian package %2)").arg(path, package).toStdString());
}

QPainterPath OutlineFont::path(const QString& text) const
{
    const QList<quint32> glyphs = font_.glyphIndexesForString(text);
    const QList<QPointF> advances = font_.advancesForGlyphIndexes(glyphs, QRawFont::KernedAdvances);
    QPainterPath result;
    QPointF pen(0, 0);
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        result.addPath(font_.pathForGlyph(glyphs[i]).translated(pen));
        pen += advances[i];
    }
    return result;
}

QPainterPath OutlineFont::fitted(const QPainterPath& path, const QRectF& box)
{
    const QRectF bounds = path.boundingRect();
    QTransform transform;
    transform.translate(box.left(), box.top());
    transform.scale(box.width() / bounds.width(), box.height() / bounds.height());
    transform.translate(-bounds.left(), -bounds.top());
    return transform.map(path);
}

#pragma once

#include <QPainterPath>
#include <QRawFont>
#include <QRectF>
#include <QString>

// A font read straight from its file, so that the pictures do not depend on which font the
// system's font configuration would pick for a family name.
class OutlineFont {
public:
    // Throws std::runtime_error naming the file and the Debian package that ships it.
    OutlineFont(const QString& path, const QString& package);

    // Glyph outlines of the text with the pen starting at x = 0 and the baseline at y = 0.
    QPainterPath path(const QString& text) const;

    // The path stretched so that its bounding box fills the box exactly.
    static QPainterPath fitted(const QPainterPath& path, const QRectF& box);

private:
    QRawFont font_;
};

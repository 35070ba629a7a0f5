#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

class QLabel;
class QWidget;

// What the name-entry and best-score windows share in how they look.
struct RecordWindowLook {
    // A frame with only a title and a close box. A Tool window stays out of the taskbar; it has
    // no parent window, only a transient parent to stand over (see setTransientParent).
    static constexpr Qt::WindowFlags windowFlags =
        Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

    static QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry);

    // A value label adds a single black border and a filled background to a plain label, and
    // ends a text too long for it in "…", with the whole text as its tooltip.
    static QLabel* valueLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                              const QColor& background, Qt::Alignment alignment, const QFont& font);
};

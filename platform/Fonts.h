#pragma once

#include <QFont>

class QLabel;

// The layout's Japanese proportional fonts, with the IPA fonts standing in where the originals
// are not installed, and after them other common Japanese fonts, so that a desktop without the
// IPA fonts still shows whole Japanese texts. A plain family name would fall back to a
// fixed-width Gothic.
QFont gothicFont(double pointSize, bool bold = false);
QFont minchoFont(double pointSize, bool bold = false);

// The one rule for a label whose text may not fit the layout's rectangle in the font actually
// used. Where the whole line box (advance wide, ascent plus descent high per line, wrapped where
// the label wraps) fits, the label keeps the layout's rectangle. Otherwise the label grows on the
// sides its alignment leaves the text room on, so the text stays where the layout put it. A label
// that would then leave `room` (the free space the layout leaves it, clear of its neighbours and
// the window's edges) is moved back into it; where room is smaller than the line box, the label
// takes the room and its glyphs are centred in it, since tall line boxes (Noto CJK's) are mostly
// empty above the glyphs. A label whose text changes is measured with `sample`, a text with the
// tallest and widest glyphs it will show. `hiddenAbove` rows above the room are hidden by a
// neighbour in front of the label: the label may reach under it to place its glyphs, which
// QLabel can only align to its top, middle or bottom.
void growToText(QLabel& label, const QRect& room, const QString& sample = {}, int hiddenAbove = 0);

#pragma once

#include <QFont>

class QLabel;

// The layout's Japanese proportional fonts, with the IPA fonts standing in where the originals
// are not installed, and after them other common Japanese fonts, so that a desktop without the
// IPA fonts still shows whole Japanese texts. A plain family name would fall back to a
// fixed-width Gothic.
QFont gothicFont(double pointSize, bool bold = false);
QFont minchoFont(double pointSize, bool bold = false);

// A label the layout sizes to its text: it keeps the layout's rectangle, grown where its text
// needs more room in the font actually used, so no font cuts the text off.
void growToText(QLabel& label);

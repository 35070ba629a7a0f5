#pragma once

#include <QFont>

// The layout's Japanese proportional fonts, with the IPA fonts standing in where the originals
// are not installed. A plain family name would fall back to a fixed-width Gothic.
QFont gothicFont(double pointSize, bool bold = false);
QFont minchoFont(double pointSize, bool bold = false);

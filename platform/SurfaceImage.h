#pragma once

#include "platform/Surface.h"

#include <QImage>

// Conversions between the game's surfaces and Qt images (for artwork and for showing).
Surface surfaceFromImage(const QImage& image);
QImage imageFromSurface(const Surface& surface);
// Only the part of the surface inside `area` (clipped to the surface).
QImage imageFromSurface(const Surface& surface, const QRect& area);

#pragma once

#include "platform/Surface.h"

#include <QImage>

// Conversions between the game's surfaces and Qt images (for artwork and for showing).
Surface surfaceFromImage(const QImage& image);
QImage imageFromSurface(const Surface& surface);

#pragma once
#include <QImage>
#include <QRect>
#include <QString>

#include "skin/ButtonManager.h"
#include "skin/Canvas.h"

// One face of a button strip from the resources, as the canvas holds it.
QImage StripFace(const QString& strip, TButtonFace face);
// A copy of part of a canvas, for comparing with a face.
QImage Region(const Canvas& canvas, const QRect& r);
// Whether the canvas shows exactly `face` of `strip` at (x, y).
bool ShowsFace(const Canvas& canvas, int x, int y, const QString& strip, TButtonFace face);
// How many pixels of `r` have exactly the colour `c`.
int CountColour(const Canvas& canvas, const QRect& r, const QColor& c);

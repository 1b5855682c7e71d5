#pragma once
#include <QFont>
#include <QString>

// Fonts by their Windows names: "Arial" and "Times New Roman" map to the
// metric-compatible Liberation fonts, "MS Sans Serif" to the system sans.
QFont SkinFontPixels(const QString& family, int pixelSize, bool bold = false);
QFont SkinFontPoints(const QString& family, int pointSize, bool bold = false);

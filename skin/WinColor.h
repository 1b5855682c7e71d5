#pragma once
#include <QColor>
#include <cstdint>

// Colour values in the pages' texts are Windows 0x00BBGGRR; this is the one
// place that turns them into a QColor.
inline QColor WinColor(uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

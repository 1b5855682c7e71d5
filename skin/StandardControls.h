#pragma once
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

// The standard controls of a window's layout, laid over its canvas at their
// pixel positions. Fonts are named as on Windows and sized in points; colours
// are Windows 0x00BBGGRR values, those of the enabled control: a disabled one
// greys out.
struct TFontSpec {
    const char* face = "Arial";
    int points = 8;
    uint32_t colour = 0x000000;
    bool bold = false;
    int pixels = 0; // a size in pixels instead, where the layout gives one
};

// A transparent label that lets the mouse through to the skinned window.
QLabel* MakeLabel(QWidget* parent, const QRect& rect, const QString& text, const TFontSpec& font,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop, bool wordWrap = false);
void SetLabelColour(QLabel* label, uint32_t colour);

struct TEditSpec {
    int maxLength = 32767;
    bool readOnly = false;
    uint32_t background = 0xFFFFFF;
};
QLineEdit* MakeEdit(QWidget* parent, const QRect& rect, const QString& text, const TFontSpec& font,
                    const TEditSpec& edit = {});
void SetEditColours(QLineEdit* edit, uint32_t text, uint32_t background);

// A drop-down list: the user picks one of `items`, typing is not possible.
QComboBox* MakeDropDownList(QWidget* parent, const QRect& rect, const QStringList& items,
                            const TFontSpec& font);
// Text and background of the list, closed and opened alike.
void SetDropDownColours(QComboBox* combo, uint32_t text, uint32_t background);

// A check box whose caption is drawn in the font's colour over the canvas.
QCheckBox* MakeCheckBox(QWidget* parent, const QRect& rect, const QString& caption,
                        const TFontSpec& font, bool checked = false);

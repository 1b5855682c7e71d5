#include "skin/StandardControls.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "skin/SkinFont.h"
#include "skin/WinColor.h"

namespace {

QFont FontOf(const TFontSpec& font) {
    return font.pixels > 0 ? SkinFontPixels(font.face, font.pixels, font.bold)
                           : SkinFontPoints(font.face, font.points, font.bold);
}

// A disabled control greys out, as the standard ones do: grey text, and a
// darker ground where the control paints its own.
const QColor kDisabledText(0x80, 0x80, 0x80);

QColor DisabledGround(uint32_t colour) {
    return WinColor(colour).darker(120);
}

// The colour of an enabled control; `disabled` for the disabled one.
void SetRoleColour(QPalette& palette, QPalette::ColorRole role, const QColor& enabled,
                   const QColor& disabled) {
    palette.setColor(QPalette::Active, role, enabled);
    palette.setColor(QPalette::Inactive, role, enabled);
    palette.setColor(QPalette::Disabled, role, disabled);
}

void SetTextColour(QWidget* widget, QPalette::ColorRole role, uint32_t colour) {
    QPalette palette = widget->palette();
    SetRoleColour(palette, role, WinColor(colour), kDisabledText);
    widget->setPalette(palette);
}

} // namespace

QLabel* MakeLabel(QWidget* parent, const QRect& rect, const QString& text, const TFontSpec& font,
                  Qt::Alignment alignment, bool wordWrap) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(rect);
    label->setFont(FontOf(font));
    label->setAlignment(alignment);
    label->setWordWrap(wordWrap);
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    SetLabelColour(label, font.colour);
    return label;
}

void SetLabelColour(QLabel* label, uint32_t colour) {
    SetTextColour(label, QPalette::WindowText, colour);
}

QLineEdit* MakeEdit(QWidget* parent, const QRect& rect, const QString& text, const TFontSpec& font,
                    const TEditSpec& options) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(rect);
    edit->setFont(FontOf(font));
    edit->setMaxLength(options.maxLength);
    edit->setReadOnly(options.readOnly);
    edit->setText(text);
    SetEditColours(edit, font.colour, options.background);
    return edit;
}

void SetEditColours(QLineEdit* edit, uint32_t text, uint32_t background) {
    QPalette palette = edit->palette();
    SetRoleColour(palette, QPalette::Text, WinColor(text), kDisabledText);
    SetRoleColour(palette, QPalette::Base, WinColor(background), DisabledGround(background));
    edit->setPalette(palette);
}

QComboBox* MakeDropDownList(QWidget* parent, const QRect& rect, const QStringList& items,
                            const TFontSpec& font) {
    auto* combo = new QComboBox(parent);
    combo->setGeometry(rect);
    combo->setFont(FontOf(font));
    combo->setEditable(false);
    combo->addItems(items);
    return combo;
}

void SetDropDownColours(QComboBox* combo, uint32_t text, uint32_t background) {
    // The opened list is a window of its own, which takes nothing from the box.
    for (QWidget* widget : {static_cast<QWidget*>(combo), combo->view()->window(),
                            static_cast<QWidget*>(combo->view())}) {
        QPalette palette = widget->palette();
        for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window})
            palette.setColor(role, WinColor(background));
        for (QPalette::ColorRole role :
             {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            palette.setColor(role, WinColor(text));
        widget->setPalette(palette);
    }
}

QCheckBox* MakeCheckBox(QWidget* parent, const QRect& rect, const QString& caption,
                        const TFontSpec& font, bool checked) {
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(rect);
    box->setFont(FontOf(font));
    box->setChecked(checked);
    SetTextColour(box, QPalette::WindowText, font.colour);
    return box;
}

#include "skin/StandardControls.h"

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

void SetTextColour(QWidget* widget, QPalette::ColorRole role, uint32_t colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, WinColor(colour));
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
    palette.setColor(QPalette::Text, WinColor(text));
    palette.setColor(QPalette::Base, WinColor(background));
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

QCheckBox* MakeCheckBox(QWidget* parent, const QRect& rect, const QString& caption,
                        const TFontSpec& font, bool checked) {
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(rect);
    box->setFont(FontOf(font));
    box->setChecked(checked);
    SetTextColour(box, QPalette::WindowText, font.colour);
    return box;
}

#include "app/FormAbout.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QScreen>
#include <QShortcut>

#include "skin/BitmapManager.h"
#include "skin/ButtonKeys.h"
#include "skin/ButtonManager.h"
#include "skin/SkinFont.h"
#include "skin/StandardControls.h"
#include "skin/WinColor.h"

namespace {

struct AboutText {
    int top;
    const char* text;
    const char* family;
    bool bold;
};

constexpr int kTextLeft = 96;
constexpr AboutText kTexts[] = {
    {192, "KBR-370 Control Panel", "MS Sans Serif", true},
    {213, "Software Version V 2.0.0", "Times New Roman", false},
    {230, "Copyright (C) Zolvane Technologies", "Times New Roman", false},
    {248, "www.zolvane.example", "Times New Roman", false},
};

} // namespace

TFormAbout::TFormAbout(QWidget* parent)
    : TRoutedWindow(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle("About Control Panel");
    ButtonExit = {118, 274, 64, 17, "Close", true, [this] { ButtonExitClick(); }};

    LoadBackground("ABOUT_BK");

    buttons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmPush);
    router.AddManager(buttons.get());
    router.Bind(*buttons, 0, ButtonExit, "NORMAL_BTN");
    BuildButtonKeys();
    // Escape and Return answer the one button, wherever the focus is.
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(key, this), &QShortcut::activated, this, [this] { ButtonExit.Click(); });

    for (const AboutText& t : kTexts) {
        QLabel* label = MakeLabel(
            this, {}, t.text, {.face = t.family, .colour = 0xFFFFFF, .bold = t.bold, .pixels = 13});
        label->adjustSize();
        label->move(kTextLeft, t.top);
    }
}

TFormAbout::~TFormAbout() {
    keys.reset(); // before the buttons it walks go
}

void TFormAbout::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    show();
    QEventLoop loop;
    modalLoop = &loop;
    if (isVisible())
        loop.exec();
    modalLoop = nullptr;
}

void TFormAbout::ButtonExitClick() {
    close();
}

void TFormAbout::closeEvent(QCloseEvent* event) {
    TSkinWindow::closeEvent(event);
    if (modalLoop)
        modalLoop->quit();
}

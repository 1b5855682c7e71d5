#include "app/FormAbout.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QScreen>

#include "skin/BitmapManager.h"
#include "skin/ButtonManager.h"
#include "skin/SkinFont.h"
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
    : TSkinWindow(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle("About Control Panel");
    ButtonExit = {118, 274, 64, 17, "Close", true, [this] { ButtonExitClick(); }};

    bitmaps = std::make_unique<TBitmapManager>(&GetCanvas());
    bitmaps->AddBitmap(0, "ABOUT_BK", false);
    const QSize size = bitmaps->GetBitmapSize(0);
    SetClientSize(size.width(), size.height());
    setFixedSize(size);

    buttons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmPush);
    buttons->AddButton(0, ButtonExit.Caption, "NORMAL_BTN", ButtonExit.Left, ButtonExit.Top);

    QPalette palette;
    palette.setColor(QPalette::WindowText, WinColor(0xFFFFFF));
    for (const AboutText& t : kTexts) {
        auto* label = new QLabel(t.text, this);
        label->setFont(SkinFontPixels(t.family, 13, t.bold));
        label->setPalette(palette);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->adjustSize();
        label->move(kTextLeft, t.top);
    }
}

TFormAbout::~TFormAbout() = default;

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

void TFormAbout::FormPaint() {
    bitmaps->DrawBitmap(0, 0, 0);
    buttons->PaintButtons();
}

bool TFormAbout::IsOverSkinButton(int x, int y) const {
    return buttons->IsOverButton(x, y);
}

void TFormAbout::FormMouseDown(int x, int y) {
    buttons->ButtonsMouseDown(x, y);
}

void TFormAbout::FormMouseMove(int x, int y) {
    buttons->ButtonsMouseMove(x, y, true);
}

void TFormAbout::FormMouseUp(int x, int y) {
    if (buttons->ButtonsMouseUp(x, y) == 0)
        ButtonExit.Click();
}

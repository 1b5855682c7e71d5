#include "pages/FormLED.h"

#include "board/Board.h"
#include "skin/BitmapManager.h"
#include "skin/ButtonManager.h"
#include "skin/SkinFont.h"
#include "skin/WinColor.h"

namespace {

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kLabelGreen = 0x30FF00;

// One row of nine LED pictures; LED 0 of a row is the rightmost, as on the board.
struct LedRow {
    int firstId;
    int firstNumber; // number in the label of the row's LED 0
    const char* label;
    int buttonY;
    int labelY;
    uint32_t labelColour;
    const char* lit;
    const char* dark;
};

constexpr LedRow kRows[] = {
    {0, 0, "GLED%1", 40, 80, kLabelGreen, "LEDG_LIGHT_BTN", "LEDG_UNLIGHT_BTN"},
    {9, 0, "RLED%1", 110, 150, kRed, "LEDR_LIGHT_BTN", "LEDR_UNLIGHT_BTN"},
    {18, 9, "RLED%1", 180, 220, kRed, "LEDR_LIGHT_BTN", "LEDR_UNLIGHT_BTN"},
};
constexpr int kLedsPerRow = 9;

constexpr int ButtonX(int i) {
    return 332 - 38 * i;
}
constexpr int LabelCentreX(int i) {
    return 344 - 38 * i;
}

const LedRow& RowOf(int id) {
    return kRows[id / kLedsPerRow];
}

QString LedBitmap(int id, bool lit) {
    const LedRow& row = RowOf(id);
    return QString::fromLatin1(lit ? row.lit : row.dark);
}

} // namespace

TFormLED::TFormLED(QWidget* parent) : TPage(parent, "TAB_DLG_BK", "LED") {
    ButtonLedLightAll = {106, 243, 64, 17, "Light All", true, [this] { ButtonLedLightAllClick(); }};
    ButtonLedUnlightAll = {
        218, 243, 64, 17, "Unlight All", true, [this] { ButtonLedUnlightAllClick(); }};

    ledButtons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmToggle);
    for (int id = 0; id < kLedCount; ++id) {
        ledButtons->AddButton(id, QString(), LedBitmap(id, true), ButtonX(id % kLedsPerRow),
                              RowOf(id).buttonY);
        ledButtons->SetButtonChecked(id, true);
    }

    router.AddManager(ledButtons.get());
    BindButton(0, ButtonLedLightAll);
    BindButton(1, ButtonLedUnlightAll);

    EnableControls(false);
}

TFormLED::~TFormLED() = default;

void TFormLED::EnableControls(bool on) {
    router.SetEnabled(ButtonLedLightAll, on);
    router.SetEnabled(ButtonLedUnlightAll, on);
    for (int id = 0; id < kLedCount; ++id)
        ledButtons->SetButtonEnabled(id, on);
}

uint32_t TFormLED::LedMask() const {
    uint32_t mask = 0;
    for (int id = 0; id < kLedCount; ++id)
        if (ledButtons->IsButtonChecked(id))
            mask |= 1u << id;
    return mask;
}

void TFormLED::SendLeds() {
    // Nothing is sent while the link is closed, and that is no failure here.
    RunCommand([this](TBoard& b) { return b.SetLeds(LedMask()); }, ClosedLink::Success);
}

void TFormLED::SetAllLeds(bool lit) {
    for (int id = 0; id < kLedCount; ++id) {
        ledButtons->SetButtonBitmap(id, LedBitmap(id, lit));
        ledButtons->SetButtonChecked(id, lit);
    }
    ledButtons->PaintButtons();
    SendLeds();
}

void TFormLED::ButtonLedLightAllClick() {
    SetAllLeds(true);
}

void TFormLED::ButtonLedUnlightAllClick() {
    SetAllLeds(false);
}

void TFormLED::FormPaint() {
    TPage::FormPaint();

    Canvas& canvas = GetCanvas();
    const QFont font = SkinFontPoints("Arial", 7);
    for (const LedRow& row : kRows) {
        for (int i = 0; i < kLedsPerRow; ++i) {
            const QString text = QString(row.label).arg(row.firstNumber + i);
            const int width = canvas.TextExtent(text, font).width();
            canvas.TextOut(LabelCentreX(i) - width / 2, row.labelY, text, font,
                           WinColor(row.labelColour));
        }
    }
}

void TFormLED::FormMouseDown(int x, int y) {
    if (BoardConnected())
        router.MouseDown(x, y);
}

void TFormLED::FormMouseMove(int x, int y) {
    if (BoardConnected())
        router.MouseMove(x, y);
}

void TFormLED::FormMouseUp(int x, int y) {
    const TButtonRouter::Hit hit = router.MouseUp(x, y);
    if (hit.manager != ledButtons.get())
        return; // the command buttons ran their hidden buttons' handlers
    // The toggle manager has already flipped the button's checked state.
    ledButtons->SetButtonBitmap(hit.id, LedBitmap(hit.id, ledButtons->IsButtonChecked(hit.id)));
    ledButtons->PaintButtons();
    SendLeds();
}

#include "pages/FormVGA.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>

#include "board/Board.h"
#include "core/devices/Devices.h"
#include "core/devices/VgaPattern.h"
#include "core/Host.h"
#include "skin/StandardControls.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kLightBlue = 0xFFEA00;
constexpr uint32_t kDarkGrey = 0x404040;
const QColor kOutline(0x96, 0x96, 0x96);

QColor ToQColor(VgaRgb c) {
    return QColor(c.r, c.g, c.b);
}

} // namespace

TFormVGA::TFormVGA(QWidget* parent)
    : TPage(parent, "TAB_DLG_BK", "VGA"), preview(kImageVGA.size(), QImage::Format_RGB32) {
    LabelCaption =
        MakeLabel(this, {24, 24, 200, 18}, "VGA Pattern Display", {"Arial", 10, kLightBlue});
    LabelPattern = MakeLabel(this, {32, 56, 60, 18}, "Pattern:", {"Arial", 10, kWhite});

    QStringList items;
    for (const char* name : kVgaPatternNames)
        items << name;
    ComboBoxVGA = MakeDropDownList(this, {88, 50, 120, 21}, items, {"Arial", 8, kWhite});
    SetDropDownColours(ComboBoxVGA, kWhite, kDarkGrey);
    ComboBoxVGA->setCursor(Qt::PointingHandCursor);
    ComboBoxVGA->setCurrentIndex(0);
    connect(ComboBoxVGA, &QComboBox::currentIndexChanged, this, [this] { ComboBoxVGAChange(); });

    DrawPreview(0);
}

bool TFormVGA::Attached() {
    // The list stays usable; without a session it only redraws the preview.
    const bool ready = TPage::Attached();
    if (ready)
        ComboBoxVGAChange();
    return ready;
}

void TFormVGA::ComboBoxVGAChange() {
    const int pattern = ComboBoxVGA->currentIndex();
    DrawPreview(pattern);
    if (BoardConnected())
        ApplyPattern(pattern);
}

void TFormVGA::ApplyPattern(int pattern) {
    using Tone = THost::Tone;
    Host().Info("VGA Setting...", Tone::Progress);
    bool done = false;
    const uint8_t index = static_cast<uint8_t>(pattern);
    const bool ok = RunCommand(
        [&](TBoard& b) {
            b.FlushInput();
            return b.SendDeviceData(done, kbr::devices::kVga.channel, 1, &index);
        },
        ClosedLink::Failure);
    if (!ok)
        return; // the link is reported lost; the info line keeps "VGA Setting..."
    // A board that answered but refused the pattern shows its old picture:
    // that must not read as a success.
    if (done)
        Host().Info("Set VGA Success", Tone::Success);
    else
        Host().Info(kbr::devices::kVga.refused, Tone::Failure);
}

void TFormVGA::DrawPreview(int pattern) {
    const int w = preview.width(), h = preview.height();
    QPainter painter(&preview);
    for (int r = 0; r < kVgaScaleRows; ++r) {
        for (int c = 0; c < kVgaScaleColumns; ++c) {
            const int x0 = VgaCellStart(w, c, kVgaScaleColumns);
            const int x1 = VgaCellStart(w, c + 1, kVgaScaleColumns);
            const int y0 = VgaCellStart(h, r, kVgaScaleRows);
            const int y1 = VgaCellStart(h, r + 1, kVgaScaleRows);
            painter.fillRect(x0, y0, x1 - x0, y1 - y0, ToQColor(VgaPreviewColour(pattern, r, c)));
        }
    }
    painter.end();
    GetCanvas().DrawImage(kImageVGA.x(), kImageVGA.y(), preview, false);
}

void TFormVGA::FormPaint() {
    TPage::FormPaint();
    GetCanvas().Frame(kImageVGA.adjusted(-1, -1, 1, 1), kOutline, 1);
    GetCanvas().DrawImage(kImageVGA.x(), kImageVGA.y(), preview, false);
}

#include "pages/FormSDCARD.h"

#include <QLabel>

#include "board/Board.h"
#include "core/devices/Devices.h"
#include "core/Host.h"
#include "skin/StandardControls.h"

namespace {

constexpr TFontSpec kTitleFont{"Arial", 10, 0xFFEA00};
constexpr TFontSpec kValueFont{"Arial", 8, 0xFFFFFF};

QLabel* Title(QWidget* parent, int x, int y, const char* text) {
    QLabel* label = MakeLabel(parent, QRect(x, y, 0, 0), text, kTitleFont);
    label->adjustSize();
    return label;
}

QLabel* Value(QWidget* parent, const QRect& rect) {
    QLabel* label =
        MakeLabel(parent, rect, QString(), kValueFont, Qt::AlignLeft | Qt::AlignTop, true);
    // The texts carry what the card holds; a '<' in its name is no markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

TFormSDCARD::TFormSDCARD(QWidget* parent) : TPage(parent, "SDCARD_DLG_BK", "SD Card") {
    LabelCID = Title(this, 24, 8, "Card Identification");
    LabelSDCARD_CID = Value(this, QRect(32, 24, 280, 97));
    LabelCSD = Title(this, 24, 116, "Card Specific Data");
    LabelSDCARD_CSD = Value(this, QRect(32, 132, 272, 89));
    LabelFAT = Title(this, 24, 222, "File System:");
    LabelSDCARD_FAT = Value(this, QRect(32, 238, 193, 25));
    ButtonSDCARD = {288, 226, 64, 17, "Read", true, [this] { ButtonSDCARDClick(); }};

    BindButton(0, ButtonSDCARD);
    EnableControls(false);
    ClearValues();
}

void TFormSDCARD::EnableControls(bool on) {
    router.SetEnabled(ButtonSDCARD, on);
}

void TFormSDCARD::ClearValues() {
    LabelSDCARD_CID->clear();
    LabelSDCARD_CSD->clear();
    LabelSDCARD_FAT->clear();
}

void TFormSDCARD::ButtonSDCARDClick() {
    TCommandScope scope(*this);
    EnableControls(false);
    ClearValues();
    ReadCard(scope);
    EnableControls(true);
}

void TFormSDCARD::ReadCard(TCommandScope& scope) {
    using Tone = THost::Tone;
    namespace devices = kbr::devices;
    bool done = false;
    std::string csd, cid, fileSystem;
    const bool carried = scope.Run(
        [&](TBoard& b) {
            b.FlushInput();
            return b.ReadSdCardInfo(done, csd, cid, fileSystem);
        },
        ClosedLink::Failure);

    if (!carried) {
        ClearValues();
        Host().Info(devices::kSdCard.failed, Tone::Failure);
        Host().Box(platform::MessageKind::Error, devices::kSdCard.failed);
        return;
    }
    if (!done) {
        // No card or a card error: the labels stay empty, never an earlier card's texts.
        Host().Info(devices::kSdCard.failed, Tone::Failure);
        Host().Box(platform::MessageKind::Warning,
                     std::string(devices::kSdCard.missing) + "\n" + devices::kSdCard.plugHint);
        return;
    }
    LabelSDCARD_CSD->setText(QString::fromStdString(csd));
    LabelSDCARD_CID->setText(QString::fromStdString(cid));
    LabelSDCARD_FAT->setText(QString::fromStdString(fileSystem));
    Host().Info("Read SDCARD read successfully", Tone::Success);
}

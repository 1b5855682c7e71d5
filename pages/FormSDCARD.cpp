#include "pages/FormSDCARD.h"

#include <QLabel>

#include "board/Board.h"
#include "pages/Dialogs.h"
#include "pages/ShowInfo.h"
#include "skin/ButtonManager.h"
#include "skin/Colours.h"
#include "skin/StandardControls.h"

namespace {

constexpr TFontSpec kTitleFont{"Arial", 10, 0xFFEA00};
constexpr TFontSpec kValueFont{"Arial", 8, 0xFFFFFF};
constexpr const char* kFailed = "Failed to access SDCARD.";

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

    buttons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmPush);
    router.AddManager(buttons.get());
    router.Bind(*buttons, 0, ButtonSDCARD, "NORMAL_BTN");
    SetReadEnabled(false);
    ClearValues();
}

TFormSDCARD::~TFormSDCARD() = default;

void TFormSDCARD::AttachBoard(TBoard* session) {
    ShowInfo("", colours::Green);
    board = session;
    SetReadEnabled(BoardConnected());
}

void TFormSDCARD::DetachBoard() {
    board = nullptr;
    SetReadEnabled(false);
}

void TFormSDCARD::SetReadEnabled(bool on) {
    router.SetEnabled(ButtonSDCARD, on);
}

void TFormSDCARD::ClearValues() {
    LabelSDCARD_CID->clear();
    LabelSDCARD_CSD->clear();
    LabelSDCARD_FAT->clear();
}

void TFormSDCARD::ButtonSDCARDClick() {
    SetReadEnabled(false);
    ClearValues();
    const bool carried = ReadCard();
    SetReadEnabled(true);
    if (!carried)
        RaiseLinkLost();
}

bool TFormSDCARD::ReadCard() {
    bool done = false;
    std::string csd, cid, fileSystem;
    const bool carried = RunLocked(
        [&](TBoard& b) {
            b.FlushInput();
            return b.ReadSdCardInfo(done, csd, cid, fileSystem);
        },
        ClosedLink::Failure);

    if (!carried) {
        ClearValues();
        ShowInfo(kFailed, colours::Red);
        Dialogs().MessageBox(platform::MessageKind::Error, kFailed, "");
        return false;
    }
    if (!done) {
        // No card or a card error: the labels stay empty, never an earlier card's texts.
        ShowInfo(kFailed, colours::Red);
        Dialogs().MessageBox(platform::MessageKind::Warning,
                             "Failed to access the SDCARD.\n"
                             "Please make sure a SDCARD is pluged into the KBR-370.",
                             "");
        return true;
    }
    LabelSDCARD_CSD->setText(QString::fromStdString(csd));
    LabelSDCARD_CID->setText(QString::fromStdString(cid));
    LabelSDCARD_FAT->setText(QString::fromStdString(fileSystem));
    ShowInfo("Read SDCARD read successfully", colours::Green);
    return true;
}

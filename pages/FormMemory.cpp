#include "pages/FormMemory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "board/Board.h"
#include "core/ForwardingHost.h"
#include "core/Host.h"
#include "core/files/InputFile.h"
#include "core/files/ReplacingFile.h"
#include "core/formats/ContentFormat.h"
#include "pages/Dialogs.h"
#include "pages/FormProgress.h"
#include "platform/System.h"
#include "skin/ButtonManager.h"
#include "skin/Colours.h"
#include "skin/ScreenCursor.h"
#include "skin/StandardControls.h"

namespace {

const std::string kFileFilter = PanelDialogFilter();
constexpr const char* kDefaultExtension = "bin";
constexpr const char* kEraseCaption = "Chip Erase (75 sec)";

constexpr TFontSpec kTitleFont{.face = "Arial", .points = 10, .colour = 0xFFEA00};
constexpr TFontSpec kFieldFont{.face = "Arial", .points = 8, .colour = 0xFFFFFF};
constexpr TFontSpec kEditFont{.face = "Arial", .points = 8, .colour = 0x000000};

enum ButtonId { BTN_READ = 0, BTN_WRITE = 1, BTN_ERASE = 2, BTN_WRITE_FILE = 3, BTN_READ_FILE = 4 };

void Error(THost& host, const std::string& text) {
    host.Box(platform::MessageKind::Error, text);
}

void Warning(THost& host, const std::string& text) {
    host.Box(platform::MessageKind::Warning, text);
}

double Seconds(uint32_t startTick) {
    return (platform::GetTickCount() - startTick) / 1000.0;
}

using TOutcome = TMemoryTransfer::Outcome;

// Asks for the file of a save or a load, starting in the user's folder. The
// name is made absolute at once, before the link can change the current
// directory under it.
bool ChooseFile(bool save, std::string& path) {
    std::string chosen = UserDirectory();
    const bool ok = save ? Dialogs().SaveFileName("Save As", kFileFilter, kDefaultExtension, chosen)
                         : Dialogs().OpenFileName("Open", kFileFilter, chosen);
    if (ok)
        path = UserPath(chosen);
    return ok;
}

} // namespace

TFormMemory::TFormMemory(QWidget* parent) : TPage(parent, "MEMORY_DLG_BK", "Memory") {
    board = nullptr;
    linkFailed = false;

    ButtonMemoryRandomRead = {
        12, 120, 64, 17, "Read", true, [this] { ButtonMemoryRandomReadClick(); }};
    ButtonMemoryRandomWrite = {
        84, 120, 64, 17, "Write", true, [this] { ButtonMemoryRandomWriteClick(); }};
    ButtonMemRdmErase = {156, 120, 122, 17, "Erase", true, [this] { ButtonMemRdmEraseClick(); }};
    ButtonMemWrite2FMem = {
        12, 188, 189, 17, "Write a File to Memory", true, [this] { ButtonMemWrite2FMemClick(); }};
    ButtonMemRead2File = {12,
                          252,
                          189,
                          17,
                          "Load Memory Content to a File",
                          true,
                          [this] { ButtonMemRead2FileClick(); }};

    buttons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmPush);
    router.AddManager(buttons.get());
    router.Bind(*buttons, BTN_READ, ButtonMemoryRandomRead, "NORMAL_BTN");
    router.Bind(*buttons, BTN_WRITE, ButtonMemoryRandomWrite, "NORMAL_BTN");
    router.Bind(*buttons, BTN_ERASE, ButtonMemRdmErase, "MIDDLE_BTN");
    router.Bind(*buttons, BTN_WRITE_FILE, ButtonMemWrite2FMem, "LONG_BTN");
    router.Bind(*buttons, BTN_READ_FILE, ButtonMemRead2File, "LONG_BTN");

    CreateControls();
    LabelMemFlashHint->hide();
    ImageFlashNote->hide();
    EnableActions(false);
}

TFormMemory::~TFormMemory() = default;

void TFormMemory::CreateControls() {
    MakeLabel(this, {12, 6, 200, 18}, "Memory Type", kTitleFont);
    MakeLabel(this, {12, 76, 200, 18}, "Random Access", kTitleFont);
    MakeLabel(this, {12, 144, 200, 18}, "Sequential Write", kTitleFont);
    MakeLabel(this, {12, 208, 200, 18}, "Sequential Read", kTitleFont);

    QStringList entries;
    for (const kbr::wire::TMemory& m : kbr::wire::kMemories)
        entries << QString::fromStdString(SizeText(m.name, m.size));
    ComboBoxMemType = MakeDropDownList(this, {12, 26, 250, 22}, entries,
                                       {.face = "Arial", .points = 9, .colour = 0xFFFFFF});
    SetDropDownColours(ComboBoxMemType, 0xFFFFFF, 0x404040);
    ComboBoxMemType->setCurrentIndex(0);
    connect(ComboBoxMemType, &QComboBox::currentIndexChanged, this,
            [this] { ComboBoxMemTypeChange(); });
    connect(ComboBoxMemType, &QComboBox::activated, this, [this] { ComboBoxMemTypeSelect(); });

    ImageFlashNote = MakeLabel(this, {12, 54, 16, 16}, QString(), kFieldFont);
    ImageFlashNote->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    LabelMemFlashHint =
        MakeLabel(this, {32, 53, 345, 18}, "Note. Please erase flash first before writing data.",
                  {.face = "Arial", .points = 10, .colour = colours::Red});

    // Random access: address, wDATA, rDATA.
    MakeLabel(this, {12, 98, 50, 16}, "Address: ", kFieldFont);
    EditMemRdmAddr = MakeEdit(this, {60, 96, 70, 18}, "00000000", kEditFont, {.maxLength = 8});
    MakeLabel(this, {140, 98, 40, 16}, "wDATA:", kFieldFont);
    EditMemRdmWrite = MakeEdit(this, {180, 96, 44, 18}, "0000", kEditFont, {.maxLength = 4});
    MakeLabel(this, {234, 98, 40, 16}, "rDATA: ", kFieldFont);
    EditMemRdmRead = MakeEdit(this, {274, 96, 44, 18}, "0000",
                              {.face = "Arial", .points = 8, .colour = 0xFFFFFF},
                              {.maxLength = 4, .readOnly = true, .background = 0x000000});
    // The style paints read-only edits in the window colour; keep white on black.
    EditMemRdmRead->setStyleSheet("QLineEdit { color: white; background: black; }");

    // Sequential write and read: address, length, and the check box with its label.
    struct Row {
        int y;
        QLineEdit** address;
        QLineEdit** length;
        QCheckBox** box;
        QLabel** label;
        const char* caption;
    };
    const Row rows[] = {
        {166, &EditMemWriteAddr, &EditMemWriteLen, &CheckBoxMemWriteFileLen, &LabelFileLength,
         "File Length"},
        {230, &EditMemReadAddr, &EditMemReadLen, &CheckBoxMemReadEntireMem, &LabelEntireMemory,
         "Entire Memory"},
    };
    for (const Row& row : rows) {
        MakeLabel(this, {12, row.y + 2, 50, 16}, "Address: ", kFieldFont);
        *row.address = MakeEdit(this, {60, row.y, 70, 18}, "00000000", kEditFont, {.maxLength = 8});
        MakeLabel(this, {140, row.y + 2, 40, 16}, "Length:", kFieldFont);
        *row.length = MakeEdit(this, {180, row.y, 70, 18}, "0", kEditFont, {.maxLength = 8});
        *row.box = MakeCheckBox(this, {262, row.y, 18, 18}, QString(), kFieldFont);
        *row.label = MakeLabel(this, {282, row.y + 2, 95, 16}, row.caption, kFieldFont);
        // The label is clickable: it flips its box.
        (*row.label)->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        (*row.label)->installEventFilter(this);
    }
    connect(CheckBoxMemWriteFileLen, &QCheckBox::clicked, this,
            [this] { CheckBoxMemWriteFileLenClick(); });
    connect(CheckBoxMemReadEntireMem, &QCheckBox::clicked, this,
            [this] { CheckBoxMemReadEntireMemClick(); });
}

bool TFormMemory::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == LabelFileLength) {
            LabelFileLengthClick();
            return true;
        }
        if (watched == LabelEntireMemory) {
            LabelEntireMemoryClick();
            return true;
        }
    }
    return TPage::eventFilter(watched, event);
}

// ---- page contract ----

void TFormMemory::EnableControls(bool on) {
    // Back on a flow's page while the flow runs: its end enables the actions.
    // A flow finds a detach at its next check and ends.
    EnableActions(on && !busy);
}

int TFormMemory::SelectedMemoryIndex() const {
    return ComboBoxMemType->currentIndex();
}

const kbr::wire::TMemory& TFormMemory::SelectedMemory() const {
    return kbr::wire::kMemories[std::clamp(SelectedMemoryIndex(), 0, kbr::wire::kMemoryCount - 1)];
}

// ---- controls ----

void TFormMemory::EnableActions(bool enable) {
    for (THiddenButton* b : {&ButtonMemoryRandomRead, &ButtonMemoryRandomWrite, &ButtonMemRdmErase,
                             &ButtonMemWrite2FMem, &ButtonMemRead2File})
        router.SetEnabled(*b, enable);
    UpdateEraseButton();
}

void TFormMemory::UpdateEraseButton() {
    const bool flash = SelectedMemory().flash;
    LabelMemFlashHint->setVisible(flash);
    ImageFlashNote->setVisible(flash);
    // Never while a flow runs: the memory can be changed meanwhile.
    router.SetEnabled(ButtonMemRdmErase, flash && BoardConnected() && !busy);
    ButtonMemRdmErase.Caption = kEraseCaption;
    buttons->SetButtonCaption(BTN_ERASE, ButtonMemRdmErase.Caption);
}

void TFormMemory::RaiseFramedPartChanged() {
    if (OnFramedPartChanged)
        OnFramedPartChanged(this);
}

void TFormMemory::ComboBoxMemTypeChange() {
    UpdateEraseButton();
    RaiseFramedPartChanged();
}

void TFormMemory::ComboBoxMemTypeSelect() {
    UpdateEraseButton();
    RaiseFramedPartChanged();
}

void TFormMemory::CheckBoxMemReadEntireMemClick() {
    const bool entire = CheckBoxMemReadEntireMem->isChecked();
    EditMemReadAddr->setEnabled(!entire);
    EditMemReadLen->setEnabled(!entire);
    if (entire) {
        const uint32_t words = WordCount(SelectedMemory());
        EditMemReadAddr->setText(QString::fromStdString(ZeroAddressText(words)));
        EditMemReadLen->setText(QString::fromStdString(WordCountText(words)));
    }
}

void TFormMemory::CheckBoxMemWriteFileLenClick() {
    if (CheckBoxMemWriteFileLen->isChecked())
        return;
    const uint32_t words = WordCount(SelectedMemory());
    EditMemWriteAddr->setText(QString::fromStdString(ZeroAddressText(words)));
    EditMemWriteLen->setText(QString::fromStdString(WordCountText(words)));
}

void TFormMemory::LabelEntireMemoryClick() {
    CheckBoxMemReadEntireMem->setChecked(!CheckBoxMemReadEntireMem->isChecked());
    CheckBoxMemReadEntireMemClick();
}

void TFormMemory::LabelFileLengthClick() {
    CheckBoxMemWriteFileLen->setChecked(!CheckBoxMemWriteFileLen->isChecked());
    CheckBoxMemWriteFileLenClick();
}

bool TFormMemory::CheckHexInput(const QLineEdit* edit, const char* fieldName, int32_t max,
                                int32_t min, int32_t& value) {
    const THexInput input = CheckHexInputText(edit->text().toStdString(), fieldName, max, min);
    if (!input.ok) {
        Error(Host(), input.message);
        return false;
    }
    value = input.value;
    return true;
}

// ---- painting and mouse ----

// ---- actions ----

void TFormMemory::BeginAction() {
    busy = true;
    SetScreenCursor(ScreenCursor::HourGlass);
    EnableActions(false);
}

void TFormMemory::EndAction() {
    busy = false;
    // A page detached meanwhile stays disabled until it is attached again.
    EnableActions(BoardConnected());
    SetScreenCursor(ScreenCursor::Default);
    if (OnFlowEnded)
        OnFlowEnded(this);
}

void TFormMemory::ButtonMemoryRandomReadClick() {
    if (!busy)
        RandomRead(SelectedMemory(), EditMemRdmAddr, EditMemRdmRead);
}

void TFormMemory::ButtonMemoryRandomWriteClick() {
    if (!busy)
        RandomWrite(SelectedMemory(), EditMemRdmAddr, EditMemRdmWrite);
}

void TFormMemory::RandomWrite(const TMemory& memory, QLineEdit* addressEdit, QLineEdit* dataEdit) {
    Host().Info(FormatText("%s Random Write...", memory.name), THost::Tone::Progress);
    BeginAction();
    int32_t address = 0;
    int32_t value = 0;
    bool ok = CheckHexInput(addressEdit, "Address", WordCount(memory) - 1, 0, address) &&
              CheckHexInput(dataEdit, "wDATA", 0xFFFF, 0, value);
    if (ok) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        // A single request: a failure says Fail, the link is not blamed.
        ok = RunLocked(
            [&](TBoard& b) {
                return b.WriteMemory(memory.code, static_cast<uint32_t>(address) * 2, 2, bytes);
            },
            ClosedLink::Failure);
    }
    Host().Info(FormatText("%s Random Write %s", memory.name, ok ? "Success" : "Fail"),
                ok ? THost::Tone::Success : THost::Tone::Failure);
    EndAction();
}

void TFormMemory::RandomRead(const TMemory& memory, QLineEdit* addressEdit, QLineEdit* resultEdit) {
    Host().Info(FormatText("%s Random Read...", memory.name), THost::Tone::Progress);
    BeginAction();
    int32_t address = 0;
    bool ok = CheckHexInput(addressEdit, "Address", WordCount(memory) - 1, 0, address);
    if (ok) {
        uint8_t bytes[2] = {};
        ok = RunLocked(
            [&](TBoard& b) {
                return b.ReadMemory(memory.code, static_cast<uint32_t>(address) * 2, 2, bytes);
            },
            ClosedLink::Failure);
        if (ok)
            resultEdit->setText(
                QString::fromStdString(FormatText("%04X", bytes[0] | bytes[1] << 8)));
    }
    Host().Info(FormatText("%s Random Read %s", memory.name, ok ? "Success" : "Fail"),
                ok ? THost::Tone::Success : THost::Tone::Failure);
    EndAction();
}

// ---- file transfers ----

void TFormMemory::ButtonMemRead2FileClick() {
    if (!busy)
        SaveMemoryToFile(SelectedMemory(), EditMemReadAddr, CheckBoxMemReadEntireMem,
                         EditMemReadLen);
}

void TFormMemory::ButtonMemWrite2FMemClick() {
    if (busy)
        return;
    linkFailed = false;
    WriteFileToMemory(SelectedMemory(), EditMemWriteAddr, CheckBoxMemWriteFileLen, EditMemWriteLen);
    if (linkFailed && OnLinkLost)
        OnLinkLost(this);
}

void TFormMemory::SaveMemoryToFile(const TMemory& memory, QLineEdit* addressEdit,
                                   QCheckBox* entireBox, QLineEdit* lengthEdit) {
    const char* name = memory.name;
    BeginAction();
    const uint32_t start = platform::GetTickCount();
    Host().Info(FormatText("Load %s Content to a File...", name), THost::Tone::Progress);

    const uint32_t words = WordCount(memory);
    int32_t address = 0;
    int32_t length = static_cast<int32_t>(words);
    if (!entireBox->isChecked()) {
        const bool valid =
            CheckHexInput(addressEdit, "Address", words - 1, 0, address) &&
            CheckHexInput(lengthEdit, "Length", static_cast<int32_t>(words) - address, 1, length);
        if (!valid) {
            Host().Info("Invalid Input Data.", THost::Tone::Failure);
            EndAction();
            return;
        }
    }

    bool aborted = false;
    bool ok = false;
    std::string path;
    if (!ChooseFile(true, path))
        aborted = true;
    else
        ok = SaveToFile(memory, static_cast<uint32_t>(address) * memory.wordSize,
                        static_cast<uint32_t>(length) * memory.wordSize, path, aborted);

    const std::string text = aborted ? FormatText("Load %s Content to a File Aborted.", name)
                                     : FormatText("Load %s Content to a File %s. (%.1fsec)", name,
                                                  ok ? "Success" : "Fail", Seconds(start));
    Host().Info(text, ok && !aborted ? THost::Tone::Success : THost::Tone::Failure);
    if (!ok && !aborted)
        Error(Host(), text);
    EndAction();
}

bool TFormMemory::SaveToFile(const TMemory& memory, uint32_t byteAddress, uint32_t count,
                             const std::string& path, bool& aborted) {
    // The bytes stream into a file beside the target, which replaces the
    // target only once all of them are read and written.
    TReplacingFile file;
    if (!file.Create(path)) {
        Warning(Host(), file.Error());
        return false;
    }
    const auto encoder =
        MakeContentEncoder(PanelContentFormatOfName(path), byteAddress, count, memory.argument);
    const auto result = RunWithProgress(&PercentDone, [&](TMemoryTransfer& transfer) {
        return transfer.ReadToFile(memory, byteAddress, count,
                                   TMemoryTransfer::PanelReadPlan(count), *encoder,
                                   [&](const void* data, size_t n) { return file.Write(data, n); });
    });
    if (result.outcome == TOutcome::SinkFailed) {
        Warning(Host(), FormatText("Write file(%s) error.", path.c_str()));
        return false;
    }
    aborted = result.outcome == TOutcome::Aborted;
    return result.Ok() && file.Commit();
}

void TFormMemory::WriteFileToMemory(const TMemory& memory, QLineEdit* addressEdit,
                                    QCheckBox* fileLengthBox, QLineEdit* lengthEdit) {
    const char* name = memory.name;
    BeginAction();
    Host().Info(FormatText("Write a File to %s...", name), THost::Tone::Progress);

    const uint32_t words = WordCount(memory);
    const bool fileLength = fileLengthBox->isChecked();
    int32_t address = 0;
    int32_t length = 0;
    bool valid = CheckHexInput(addressEdit, "Address", words - 1, 0, address);
    if (!fileLength && valid)
        valid =
            CheckHexInput(lengthEdit, "Length", static_cast<int32_t>(words) - address, 1, length);
    if (!valid) {
        Host().Info("Invalud Input Data.", THost::Tone::Failure);
        EndAction();
        return;
    }

    const uint32_t start = platform::GetTickCount();
    bool aborted = false;
    bool ok = false;
    bool warned = false;
    std::string path;
    if (!ChooseFile(false, path)) {
        aborted = true;
    } else {
        const uint32_t byteAddress = static_cast<uint32_t>(address) * memory.wordSize;
        const TWriteContent content = LoadWriteContent(
            path, fileLength, uint64_t{static_cast<uint32_t>(length)} * memory.wordSize,
            memory.size - byteAddress);
        if (!content.warning.empty())
            Warning(Host(), content.warning);
        warned = content.warningSaysAll;
        ok = content.ok;
        const uint32_t count = content.count;
        if (ok) {
            const auto result = RunWithProgress(&PercentDone, [&](TMemoryTransfer& transfer) {
                return transfer.Write(memory, byteAddress, content.data.data(), count,
                                      TMemoryTransfer::PanelWritePlan(count));
            });
            ok = result.Ok();
            aborted = result.outcome == TOutcome::Aborted;
            linkFailed = result.outcome == TOutcome::LinkFailed;
        }
        if (ok && fileLength)
            lengthEdit->setText(QString::fromStdString(FormatText("%X", (count + 1) / 2)));
    }

    const std::string text = aborted ? FormatText("Write a File to %s Aborted.", name)
                                     : FormatText("Write a File to %s %s.[%.1fsec]", name,
                                                  ok ? "Success" : "Fail", Seconds(start));
    Host().Info(text, ok && !aborted ? THost::Tone::Success : THost::Tone::Failure);
    if (!ok && !aborted && !warned)
        Error(Host(), text);
    EndAction();
}

// ---- progress ----

void TFormMemory::OpenProgress() {
    progress = new TFormProgress(this);
    progress->Show();
    progress->SetStatus("Process...");
    lastPercent = -1;
}

void TFormMemory::CloseProgress() {
    delete progress;
    progress = nullptr;
}

void TFormMemory::ShowPercent(int pct) {
    if (pct <= lastPercent)
        return;
    lastPercent = pct;
    progress->SetProgress(pct);
    progress->SetStatus(FormatText("Finish Percentage: %d%%", pct));
}

bool TFormMemory::PumpAndCheckAbort() {
    QCoreApplication::processEvents();
    return progress->IsAborted() || !BoardConnected();
}

// The host of a flow under the progress dialog: the dialog shows the task's
// per cent, and its Abort (or the session gone) is the stop; everything else
// goes on to the page's host.
class TFormMemory::TProgressHost : public TForwardingHost {
  public:
    TProgressHost(TFormMemory& page, TPercent percent)
        : TForwardingHost(&page.Host()), page(page), percent(percent) {}

    void TaskProgress(uint64_t done, uint64_t total) override {
        page.ShowPercent(percent(done, total));
    }
    bool StopRequested() override { return page.PumpAndCheckAbort(); }

  private:
    TFormMemory& page;
    TPercent percent;
};

TMemoryTransfer::TResult TFormMemory::RunWithProgress(
    TPercent percent, const std::function<TMemoryTransfer::TResult(TMemoryTransfer&)>& work) {
    OpenProgress();
    // No session: nothing is sent, as when the board does not answer.
    TMemoryTransfer::TResult result{.outcome = TOutcome::NotAnswering};
    if (board) {
        TProgressHost host(*this, percent);
        TMemoryTransfer transfer(*board, host);
        result = work(transfer);
    }
    CloseProgress();
    return result;
}

// ---- erase ----

void TFormMemory::ButtonMemRdmEraseClick() {
    if (busy)
        return;
    BeginAction();
    const bool done = EraseFlash();
    EndAction();
    if (!done)
        RaiseLinkLost();
}

bool TFormMemory::EraseFlash() {
    Host().Info("Flash Erase...", THost::Tone::Progress);
    // The gauge shows the share of the steps before the one just done.
    const auto result =
        RunWithProgress([](uint64_t done, uint64_t total) { return PercentDone(done - 1, total); },
                        [](TMemoryTransfer& transfer) { return transfer.Erase(); });
    const bool aborted = result.outcome == TOutcome::Aborted;

    std::string text;
    THost::Tone tone = THost::Tone::Failure;
    if (aborted) {
        text = FormatText("%s %s", "Flash Erase", "abort");
    } else if (result.Ok()) {
        // Whole seconds, 0 included.
        text = FormatText("%s %s (%u seconds)", "Flash Erase", "success", result.elapsedMs / 1000);
        tone = THost::Tone::Success;
    } else {
        // Not carried, or a step the board refused: either way the flash is not erased.
        text = FormatText("%s %s", "Flash Erase", "fail");
    }
    Host().Info(text, tone);
    if (!aborted && !result.Ok())
        Error(Host(), text);
    return !result.stepFailed;
}

#include "pages/FormMemory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>
#include <cerrno>
#include <mutex>
#include <unistd.h>
#include <vector>

#include "board/Board.h"
#include "pages/Dialogs.h"
#include "pages/FormProgress.h"
#include "pages/ShowInfo.h"
#include "logic/HexCodec.h"
#include "logic/InputFile.h"
#include "logic/ReplacingFile.h"
#include "platform/System.h"
#include "skin/ButtonManager.h"
#include "skin/Colours.h"
#include "skin/ScreenCursor.h"
#include "skin/StandardControls.h"

namespace {

constexpr const char* kFileFilter = "All files (*.*)|*.*|Hex files (*.HEX)|*.hex";
constexpr const char* kDefaultExtension = "bin";
constexpr const char* kEraseCaption = "Chip Erase (75 sec)";

constexpr TFontSpec kTitleFont{.face = "Arial", .points = 10, .colour = 0xFFEA00};
constexpr TFontSpec kFieldFont{.face = "Arial", .points = 8, .colour = 0xFFFFFF};
constexpr TFontSpec kEditFont{.face = "Arial", .points = 8, .colour = 0x000000};

enum ButtonId { BTN_READ = 0, BTN_WRITE = 1, BTN_ERASE = 2, BTN_WRITE_FILE = 3, BTN_READ_FILE = 4 };

void Error(const std::string& text) {
    Dialogs().MessageBox(platform::MessageKind::Error, text, "");
}

void Warning(const std::string& text) {
    Dialogs().MessageBox(platform::MessageKind::Warning, text, "");
}

double Seconds(uint32_t startTick) {
    return (platform::GetTickCount() - startTick) / 1000.0;
}

// Reads exactly `count` bytes; false on an error or an early end.
bool ReadAll(int fd, uint8_t* buffer, size_t count) {
    while (count > 0) {
        const ssize_t n = ::read(fd, buffer, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

// Closes the input file on every path.
struct TInputFile {
    int fd;
    explicit TInputFile(int fd) : fd(fd) {}
    ~TInputFile() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

TFormMemory::TFormMemory(QWidget* parent) : TPage(parent, "MEMORY_DLG_BK", "Memory") {
    board = nullptr;
    linkFailed = false;
    InitMemorySizes(MemorySizes);

    ButtonMemoryRandomRead = {12, 120, 64, 17, "Read", true, [this] { ButtonMemoryRandomReadClick(); }};
    ButtonMemoryRandomWrite = {84, 120, 64, 17, "Write", true,
                               [this] { ButtonMemoryRandomWriteClick(); }};
    ButtonMemRdmErase = {156, 120, 122, 17, "Erase", true, [this] { ButtonMemRdmEraseClick(); }};
    ButtonMemWrite2FMem = {12, 188, 189, 17, "Write a File to Memory", true,
                           [this] { ButtonMemWrite2FMemClick(); }};
    ButtonMemRead2File = {12, 252, 189, 17, "Load Memory Content to a File", true,
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
    for (int i = 0; i < kMemoryTypeCount; ++i) {
        const uint8_t code = MemoryCodeOfIndex(i);
        entries << QString::fromStdString(SizeText(MemoryName(code), MemoryBytes(MemorySizes, code)));
    }
    ComboBoxMemType = MakeDropDownList(this, {12, 26, 250, 22}, entries,
                                       {.face = "Arial", .points = 9, .colour = 0xFFFFFF});
    SetDropDownColours(ComboBoxMemType, 0xFFFFFF, 0x404040);
    ComboBoxMemType->setCurrentIndex(0);
    connect(ComboBoxMemType, &QComboBox::currentIndexChanged, this, [this] { ComboBoxMemTypeChange(); });
    connect(ComboBoxMemType, &QComboBox::activated, this, [this] { ComboBoxMemTypeSelect(); });

    ImageFlashNote = MakeLabel(this, {12, 54, 16, 16}, QString(), kFieldFont);
    ImageFlashNote->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    LabelMemFlashHint = MakeLabel(this, {32, 53, 345, 18},
                                  "Note. Please erase flash first before writing data.",
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
    connect(CheckBoxMemWriteFileLen, &QCheckBox::clicked, this, [this] { CheckBoxMemWriteFileLenClick(); });
    connect(CheckBoxMemReadEntireMem, &QCheckBox::clicked, this, [this] { CheckBoxMemReadEntireMemClick(); });
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
    // Back, connected, before a running flow saw the detach (a quick tab round
    // trip): the flow goes on, and its end enables the actions. A flow in
    // progress finds the session gone at its next check and ends.
    EnableActions(on && !busy);
}

int TFormMemory::SelectedMemoryIndex() const {
    return ComboBoxMemType->currentIndex();
}

uint8_t TFormMemory::SelectedMemoryCode() const {
    return MemoryCodeOfIndex(SelectedMemoryIndex());
}

// ---- controls ----

void TFormMemory::EnableActions(bool enable) {
    for (THiddenButton* b : {&ButtonMemoryRandomRead, &ButtonMemoryRandomWrite, &ButtonMemRdmErase,
                             &ButtonMemWrite2FMem, &ButtonMemRead2File})
        router.SetEnabled(*b, enable);
    UpdateEraseButton();
}

void TFormMemory::UpdateEraseButton() {
    const bool flash = SelectedMemoryIndex() == kFlashIndex;
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
        const uint32_t words = WordCount(SelectedMemoryCode());
        EditMemReadAddr->setText(QString::fromStdString(ZeroAddressText(words)));
        EditMemReadLen->setText(QString::fromStdString(WordCountText(words)));
    }
}

void TFormMemory::CheckBoxMemWriteFileLenClick() {
    if (CheckBoxMemWriteFileLen->isChecked())
        return;
    const uint32_t words = WordCount(SelectedMemoryCode());
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
        Error(input.message);
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
}

void TFormMemory::ButtonMemoryRandomReadClick() {
    if (!busy)
        RandomRead(SelectedMemoryCode(), EditMemRdmAddr, EditMemRdmRead);
}

void TFormMemory::ButtonMemoryRandomWriteClick() {
    if (!busy)
        RandomWrite(SelectedMemoryCode(), EditMemRdmAddr, EditMemRdmWrite);
}

void TFormMemory::RandomWrite(uint8_t code, QLineEdit* addressEdit, QLineEdit* dataEdit) {
    const char* name = MemoryName(code);
    ShowInfo(FormatText("%s Random Write...", name), colours::Yellow);
    BeginAction();
    int32_t address = 0;
    int32_t value = 0;
    bool ok = CheckHexInput(addressEdit, "Address", WordCount(code) - 1, 0, address) &&
              CheckHexInput(dataEdit, "wDATA", 0xFFFF, 0, value);
    if (ok) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        ok = board && board->WriteMemory(code, static_cast<uint32_t>(address) * 2, 2, bytes);
    }
    ShowInfo(FormatText("%s Random Write %s", name, ok ? "Success" : "Fail"),
             ok ? colours::Green : colours::Red);
    EndAction();
}

void TFormMemory::RandomRead(uint8_t code, QLineEdit* addressEdit, QLineEdit* resultEdit) {
    const char* name = MemoryName(code);
    ShowInfo(FormatText("%s Random Read...", name), colours::Yellow);
    BeginAction();
    int32_t address = 0;
    bool ok = CheckHexInput(addressEdit, "Address", WordCount(code) - 1, 0, address);
    if (ok) {
        uint8_t bytes[2] = {};
        ok = board && board->ReadMemory(code, static_cast<uint32_t>(address) * 2, 2, bytes);
        if (ok)
            resultEdit->setText(QString::fromStdString(FormatText("%04X", bytes[0] | bytes[1] << 8)));
    }
    ShowInfo(FormatText("%s Random Read %s", name, ok ? "Success" : "Fail"),
             ok ? colours::Green : colours::Red);
    EndAction();
}

// ---- file transfers ----

void TFormMemory::ButtonMemRead2FileClick() {
    if (!busy)
        SaveMemoryToFile(SelectedMemoryCode(), EditMemReadAddr, CheckBoxMemReadEntireMem,
                         EditMemReadLen);
}

void TFormMemory::ButtonMemWrite2FMemClick() {
    if (busy)
        return;
    linkFailed = false;
    WriteFileToMemory(SelectedMemoryCode(), EditMemWriteAddr, CheckBoxMemWriteFileLen,
                      EditMemWriteLen);
    if (linkFailed && OnLinkLost)
        OnLinkLost(this);
}

void TFormMemory::SaveMemoryToFile(uint8_t code, QLineEdit* addressEdit, QCheckBox* entireBox,
                                   QLineEdit* lengthEdit) {
    const char* name = MemoryName(code);
    BeginAction();
    const uint32_t start = platform::GetTickCount();
    ShowInfo(FormatText("Load %s Content to a File...", name), colours::Yellow);

    const uint32_t words = WordCount(code);
    int32_t address = 0;
    int32_t length = static_cast<int32_t>(words);
    if (!entireBox->isChecked()) {
        const bool valid =
            CheckHexInput(addressEdit, "Address", words - 1, 0, address) &&
            CheckHexInput(lengthEdit, "Length", static_cast<int32_t>(words) - address, 1, length);
        if (!valid) {
            ShowInfo("Invalid Input Data.", colours::Red);
            EndAction();
            return;
        }
    }

    bool aborted = false;
    bool ok = false;
    std::string path;
    if (!Dialogs().SaveFileName("Save As", kFileFilter, kDefaultExtension, path)) {
        aborted = true;
    } else {
        // The bytes stream into a file beside the target, which replaces the
        // target only once all of them are read and written.
        TReplacingFile file;
        if (!file.Create(path)) {
            Warning(file.Error());
        } else {
            const bool hex = IsHexFileName(path);
            std::vector<char> text;
            bool writeFailed = false;
            auto sink = [&](const uint8_t* data, uint32_t count) {
                bool written;
                if (hex) {
                    text.resize(2 * size_t{count});
                    EncodeHexText(data, count, text.data());
                    written = file.Write(text.data(), text.size());
                } else {
                    written = file.Write(data, count);
                }
                writeFailed = !written;
                return written;
            };
            ok = ReadWithProgress(code, static_cast<uint32_t>(address) * 2, aborted,
                                  static_cast<uint32_t>(length) * 2, sink);
            if (writeFailed) {
                ok = false;
                aborted = false;
                Warning(FormatText("Write file(%s) error.", path.c_str()));
            } else if (ok) {
                ok = file.Commit();
            }
        }
    }

    const std::string text =
        aborted ? FormatText("Load %s Content to a File Aborted.", name)
                : FormatText("Load %s Content to a File %s. (%.1fsec)", name,
                             ok ? "Success" : "Fail", Seconds(start));
    ShowOutcome(text, ok && !aborted ? colours::Green : colours::Red);
    if (!ok && !aborted)
        Error(text);
    EndAction();
}

void TFormMemory::WriteFileToMemory(uint8_t code, QLineEdit* addressEdit, QCheckBox* fileLengthBox,
                                    QLineEdit* lengthEdit) {
    const char* name = MemoryName(code);
    BeginAction();
    ShowInfo(FormatText("Write a File to %s...", name), colours::Yellow);

    const uint32_t words = WordCount(code);
    const bool fileLength = fileLengthBox->isChecked();
    int32_t address = 0;
    int32_t length = 0;
    bool valid = CheckHexInput(addressEdit, "Address", words - 1, 0, address);
    if (!fileLength && valid)
        valid = CheckHexInput(lengthEdit, "Length", static_cast<int32_t>(words) - address, 1, length);
    if (!valid) {
        ShowInfo("Invalud Input Data.", colours::Red);
        EndAction();
        return;
    }

    const uint32_t start = platform::GetTickCount();
    bool aborted = false;
    bool ok = false;
    bool warned = false;
    std::string path;
    if (!Dialogs().OpenFileName("Open", kFileFilter, path)) {
        aborted = true;
    } else {
        std::vector<uint8_t> data;
        uint32_t count = 0;
        ok = LoadInputFile(path, code, static_cast<uint32_t>(address), fileLength,
                           static_cast<uint32_t>(length), data, count, warned);
        if (ok)
            ok = WriteWithProgress(code, static_cast<uint32_t>(address) * 2, aborted, count,
                                   data.data());
        if (ok && !aborted && fileLength)
            lengthEdit->setText(QString::fromStdString(FormatText("%X", (count + 1) / 2)));
    }

    const std::string text =
        aborted ? FormatText("Write a File to %s Aborted.", name)
                : FormatText("Write a File to %s %s.[%.1fsec]", name, ok ? "Success" : "Fail",
                             Seconds(start));
    ShowOutcome(text, ok && !aborted ? colours::Green : colours::Red);
    if (!ok && !aborted && !warned)
        Error(text);
    EndAction();
}

bool TFormMemory::LoadInputFile(const std::string& path, uint8_t code, uint32_t wordAddress,
                                bool fileLength, uint32_t wordLength, std::vector<uint8_t>& data,
                                uint32_t& count, bool& warned) {
    // Refused at once, as kbr370 does: a FIFO would wait for a writer.
    uint64_t size = 0;
    std::string reason;
    TInputFile file(OpenInputFile(path, size, reason));
    if (file.fd < 0)
        return false;
    const bool hex = IsHexFileName(path);
    const uint64_t room = uint64_t{MemoryBytes(MemorySizes, code)} - uint64_t{wordAddress} * 2;

    uint64_t bytes;
    if (fileLength) {
        // Cut at the memory's end without a word.
        bytes = std::min(ContentBytesOfFile(size, hex), room);
    } else {
        bytes = uint64_t{wordLength} * 2;
        if (size < (hex ? 2 * bytes : bytes)) {
            Warning(FormatText("File(%s) size is less than the specified length.", path.c_str()));
            warned = true;
            return false;
        }
    }
    count = static_cast<uint32_t>(bytes);

    // A HEX file's digits are read into the same buffer and decoded in place;
    // an odd last digit meets a padding "0".
    const uint64_t wanted = hex ? std::min(size, 2 * bytes) : bytes;
    data.assign(hex ? 2 * bytes : bytes, hex ? '0' : 0);
    if (!ReadAll(file.fd, data.data(), wanted)) {
        Warning(FormatText("Read file(%s) error.", path.c_str()));
        warned = true;
        return false;
    }
    if (hex && !DecodeHexText(data.data(), 2 * bytes)) {
        Warning(kInvalidHexFileText);
        return false;
    }
    return true;
}

// ---- progress and chunk loops ----

void TFormMemory::OpenProgress() {
    progress = new TFormProgress(this);
    progress->Show();
    progress->SetStatus("Process...");
}

void TFormMemory::CloseProgress() {
    delete progress;
    progress = nullptr;
}

void TFormMemory::ShowPercent(int pct, int& last) {
    if (pct <= last)
        return;
    last = pct;
    progress->SetProgress(pct);
    progress->SetStatus(FormatText("Finish Percentage: %d%%", pct));
}

bool TFormMemory::PumpAndCheckAbort() {
    QCoreApplication::processEvents();
    return progress->IsAborted() || !BoardConnected();
}

void TFormMemory::ShowOutcome(const std::string& text, uint32_t colour) {
    // The info line belongs to the page shown now; a flow that a tab switch
    // ended has nothing to tell it.
    if (board || !isHidden())
        ShowInfo(text, colour);
}

bool TFormMemory::ReadWithProgress(uint8_t code, uint32_t byteAddress, bool& aborted,
                                   uint32_t total, const ReadSink& sink) {
    aborted = false;
    OpenProgress();
    bool ok = board && board->Ping();
    // Steps of a twentieth set the per-cent texts. The bytes go out in the
    // largest reads the link allows, not cut at the step boundaries, so a
    // save takes no more exchanges than its size needs; the toolkit is let in
    // after each one, so Abort is seen within one exchange.
    const uint32_t step = TransferStep(total, 0);
    const uint32_t piece = std::min(step, TBoard::kMaxReadChunk);
    std::vector<uint8_t> chunk(piece);
    uint32_t done = 0;
    int last = -1;
    while (done < total && ok && !aborted) {
        const uint32_t n = std::min(piece, total - done);
        ok = board->ReadMemory(code, byteAddress + done, n, chunk.data()) && sink(chunk.data(), n);
        if (!ok)
            break;
        done += n;
        const uint32_t reached = done == total ? total : done / step * step;
        if (reached > 0)
            ShowPercent(PercentDone(reached, total), last);
        aborted = PumpAndCheckAbort();
    }
    CloseProgress();
    return ok && !aborted;
}

bool TFormMemory::WriteWithProgress(uint8_t code, uint32_t byteAddress, bool& aborted,
                                    uint32_t total, const uint8_t* data) {
    aborted = false;
    OpenProgress();
    bool ok = board && board->Ping();
    const uint32_t step = TransferStep(total, TBoard::kMaxWriteChunk);
    uint32_t done = 0;
    int last = -1;
    while (done < total && ok && !aborted) {
        const uint32_t n = std::min(step, total - done);
        ok = board->Ping();
        // The toolkit gets its turn between the two exchanges as well.
        if (ok && (aborted = PumpAndCheckAbort()))
            break;
        ok = ok && board->WriteMemory(code, byteAddress + done, n, data + done);
        if (!ok) {
            linkFailed = true;
            break;
        }
        done += n;
        ShowPercent(PercentDone(done, total), last);
        aborted = PumpAndCheckAbort();
    }
    CloseProgress();
    return ok && !aborted;
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
    ShowInfo("Flash Erase...", colours::Yellow);
    const uint32_t start = platform::GetTickCount();
    OpenProgress();
    int last = -1;
    const uint32_t reported = board ? board->QueryEraseStatus() : 0;
    const auto steps = static_cast<int32_t>(reported);
    bool ok = EraseStepCountValid(reported);
    bool done = true;
    bool aborted = false;
    for (int32_t i = 0; i < steps && ok && done && !aborted; ++i) {
        {
            std::lock_guard<std::recursive_mutex> lock(board->Lock);
            ok = board->StartErase(done, static_cast<uint16_t>(i));
        }
        ShowPercent(static_cast<int>(int64_t{i} * 100 / steps), last);
        aborted = PumpAndCheckAbort();
    }
    CloseProgress();
    const uint32_t elapsed = platform::GetTickCount() - start;

    std::string text;
    uint32_t colour = colours::Red;
    if (aborted) {
        text = FormatText("%s %s", "Flash Erase", "abort");
    } else if (ok && done) {
        // Whole seconds, 0 included.
        text = FormatText("%s %s (%u seconds)", "Flash Erase", "success", elapsed / 1000);
        colour = colours::Green;
    } else {
        // Not carried, or a step the board refused: either way the flash is not erased.
        text = FormatText("%s %s", "Flash Erase", "fail");
    }
    ShowOutcome(text, colour);
    if (!aborted && !(ok && done))
        Error(text);
    return done;
}

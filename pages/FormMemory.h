#pragma once
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/Host.h"
#include "core/devices/MemoryModel.h"
#include "core/jobs/MemoryTransfer.h"
#include "pages/Page.h"
#include "skin/HiddenButton.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class TButtonManager;
class TFormProgress;

// The memory page: one of the board's four memories, single 16-bit words read
// and written, files copied into it or saved from it (binary or HEX text), and
// the flash erased step by step. Addresses and lengths count 16-bit words.
//
// Transfers and the erase let the toolkit process messages between their
// exchanges, so the progress dialog repaints and Abort is seen. Anything the
// user can still click meanwhile must not pull the ground from under them: a
// tab switch hides the page and leaves the flow running under its progress
// dialog, its result shown when it ends; a detach (Disconnect, closing the
// window) ends it as aborted before its next exchange; the flow never starts
// a second one.
class TFormMemory : public TPage {
    Q_OBJECT
  public:
    explicit TFormMemory(QWidget* parent);
    ~TFormMemory() override;

    int FramedPart() const override { return SelectedMemoryIndex(); }
    bool IsBusy() const override { return busy; }

    int SelectedMemoryIndex() const;
    const kbr::wire::TMemory& SelectedMemory() const;

    // Handlers, as the controls run them (tests call them too).
    void ComboBoxMemTypeChange();
    void ComboBoxMemTypeSelect();
    void ButtonMemoryRandomReadClick();
    void ButtonMemoryRandomWriteClick();
    void ButtonMemRdmEraseClick();
    void ButtonMemWrite2FMemClick();
    void ButtonMemRead2FileClick();
    void CheckBoxMemWriteFileLenClick();
    void CheckBoxMemReadEntireMemClick();
    void LabelFileLengthClick();
    void LabelEntireMemoryClick();

    // The progress dialog of the running flow, if any.
    TFormProgress* ActiveProgress() const { return progress; }
    TButtonManager& Buttons() { return *buttons; }

    THiddenButton ButtonMemoryRandomRead;
    THiddenButton ButtonMemoryRandomWrite;
    THiddenButton ButtonMemRdmErase;
    THiddenButton ButtonMemWrite2FMem;
    THiddenButton ButtonMemRead2File;

    QComboBox* ComboBoxMemType = nullptr;
    QLineEdit* EditMemRdmAddr = nullptr;
    QLineEdit* EditMemRdmWrite = nullptr;
    QLineEdit* EditMemRdmRead = nullptr;
    QLineEdit* EditMemWriteAddr = nullptr;
    QLineEdit* EditMemWriteLen = nullptr;
    QCheckBox* CheckBoxMemWriteFileLen = nullptr;
    QLabel* LabelFileLength = nullptr;
    QLineEdit* EditMemReadAddr = nullptr;
    QLineEdit* EditMemReadLen = nullptr;
    QCheckBox* CheckBoxMemReadEntireMem = nullptr;
    QLabel* LabelEntireMemory = nullptr;
    QLabel* LabelMemFlashHint = nullptr;
    QLabel* ImageFlashNote = nullptr;

  protected:
    void EnableControls(bool on) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using TMemory = kbr::wire::TMemory;

    void CreateControls();
    bool CheckHexInput(const QLineEdit* edit, const char* fieldName, int32_t max, int32_t min,
                       int32_t& value);
    void EnableActions(bool enable);
    void UpdateEraseButton();
    void RaiseFramedPartChanged();

    // Every action runs between these two: busy, buttons off, hourglass.
    void BeginAction();
    void EndAction();

    void RandomRead(const TMemory& memory, QLineEdit* addressEdit, QLineEdit* resultEdit);
    void RandomWrite(const TMemory& memory, QLineEdit* addressEdit, QLineEdit* dataEdit);
    void SaveMemoryToFile(const TMemory& memory, QLineEdit* addressEdit, QCheckBox* entireBox,
                          QLineEdit* lengthEdit);
    void WriteFileToMemory(const TMemory& memory, QLineEdit* addressEdit, QCheckBox* fileLengthBox,
                           QLineEdit* lengthEdit);
    // Reads into the file at `path`, which is replaced only once all is read;
    // a file that cannot be made or written is warned about. `aborted` tells an Abort.
    bool SaveToFile(const TMemory& memory, uint32_t byteAddress, uint32_t count,
                    const std::string& path, bool& aborted);
    // Runs a transfer or the erase with the progress dialog: `percent` turns
    // what is done into the dialog's per cent.
    using TPercent = int (*)(uint64_t done, uint64_t total);
    class TProgressHost;
    TMemoryTransfer::TResult
    RunWithProgress(TPercent percent,
                    const std::function<TMemoryTransfer::TResult(TMemoryTransfer&)>& work);
    bool EraseFlash();

    // Progress dialog of one flow.
    void OpenProgress();
    void CloseProgress();
    void ShowPercent(int pct);
    // Lets the toolkit run, then tells whether the flow must stop: Abort, or
    // the page is no longer attached to a connected session.
    bool PumpAndCheckAbort();

    bool linkFailed = false;
    bool busy = false;
    TFormProgress* progress = nullptr;
    int lastPercent = -1;

    std::unique_ptr<TButtonManager> buttons;
};

#include "core/ConnectSequence.h"

#include "board/Board.h"

#include "config/DesignPath.h"
#include "config/Download.h"
#include "platform/Assert.h"
#include "platform/ChosenCable.h"
#include "platform/System.h"
#include "platform/VBoardDir.h"
#include "wire/WireFacts.h"

namespace {

using Tone = THost::Tone;
using platform::MessageKind;

const char* const kSupportedFpga = "EP3C120/EP4CE115";
const char* const kConfiguring = "Configure FPGA...";
// The gauge's steps: checking the board, then configuring it.
constexpr uint32_t kCheckMs = 5000;
constexpr uint32_t kConfigureMs = 10000;

struct DesignFile {
    uint8_t fpgaType;
    const char* fileName;
};
constexpr DesignFile kDesignFiles[] = {
    {TConnectSequence::FPGA_EP3C120_EP4CE115, "KBR_370_ControlPanel.sof"},
};

} // namespace

const char* TConnectSequence::DesignFileFor(uint8_t type) {
    for (const DesignFile& d : kDesignFiles)
        if (d.fpgaType == type)
            return d.fileName;
    return nullptr;
}

TConnectSequence::TNameCheck TConnectSequence::CheckBoardName(TBoard& board, std::string& name) {
    if (!board.QueryBoardName(name))
        return TNameCheck::NoAnswer;
    return name == kbr::wire::kBoardName ? TNameCheck::Ok : TNameCheck::WrongName;
}

uint8_t TConnectSequence::ClassifyFpgaType(const std::string& text) {
    if (text.empty())
        return FPGA_NONE;
    return text == kSupportedFpga ? FPGA_EP3C120_EP4CE115 : FPGA_UNSUPPORTED;
}

std::string TConnectSequence::MissingFileText(const std::string& path) {
    return "Can not find the file: " + platform::FileNameOf(path);
}

std::string TConnectSequence::RefusedDirectory() {
    if (platform::ChosenCable() != platform::kVirtualCable)
        return {};
    std::string why;
    if (platform::CheckVBoardDirectory(platform::VBoardDirectory(), why) !=
        platform::VBoardDirState::Refused)
        return {};
    return why + "; KBR370_VBOARD_DIR may name a directory of your own instead";
}

std::string TConnectSequence::RefusedCable() {
    const std::string unknown = platform::UnknownCableText();
    return unknown.empty() ? RefusedDirectory() : unknown;
}

bool TConnectSequence::Connect() {
    report.Status("", Tone::Progress);
    report.Progress(0, 5, kCheckMs);
    const std::string refused = RefusedCable();
    bool result = refused.empty() && CheckBoard(false);
    if (!refused.empty() || (!result && board.LinkInUse())) {
        // Nothing of ours goes to a directory others may enter or to a cable we
        // do not know; and configuring a board whose link another program
        // holds would cut that program off.
        if (!refused.empty())
            report.Info(refused, Tone::Failure);
        report.ProgressHold();
        report.Box(MessageKind::Error, refused.empty() ? TBoard::kLinkInUseText : refused);
    } else if (!result) {
        board.FlushInput();
        switch (fpgaType) {
        case FPGA_NONE:
            report.ProgressHold();
            report.Box(MessageKind::Warning,
                       "Failed to find the FPGA Board. Please make sure:\n"
                       "1. The FPGA Board and PC are connected by an USB cable.\n"
                       "2. The FPGA Board is power on.");
            break;
        case FPGA_EP3C120_EP4CE115:
            if (ConfigureFpga(FPGA_EP3C120_EP4CE115)) {
                board.FlushInput();
                const bool checked = CheckBoard(true);
                board.FlushInput();
                if (checked) {
                    board.Disconnect();
                    std::string errorText;
                    result = OpenLink(errorText);
                }
            }
            break;
        default:
            report.ProgressHold();
            report.Box(MessageKind::Information, "Unsupported FPGA!");
            break;
        }
    }
    if (!result) {
        fpgaTypeText.clear();
        report.Status("Disconnected", Tone::Failure);
    }
    report.ProgressEnd();
    if (result)
        report.Info("", Tone::Progress);
    return result;
}

bool TConnectSequence::OpenLink(std::string& errorText) {
    const bool opened = board.Connect(errorText, 0);
    if (!board.LibraryError().empty())
        report.Box(MessageKind::Error, board.LibraryError());
    return opened;
}

bool TConnectSequence::CheckBoard(bool showError) {
    report.Info("Connecting Board...", Tone::Progress);
    bool result = false;
    std::string errorText;
    if (board.IsConnected()) {
        result = true;
    } else {
        report.Info("Detect board type...", Tone::Progress);
        if (fpgaTypeText.empty())
            fpgaTypeText = kSupportedFpga;
        fpgaType = ClassifyFpgaType(fpgaTypeText);
        if (fpgaType == FPGA_EP3C120_EP4CE115 && OpenLink(errorText)) {
            report.Info("Check board ID...", Tone::Progress);
            std::string name;
            switch (CheckBoardName(board, name)) {
            case TNameCheck::NoAnswer:
                errorText = "Failed to query board name.";
                break;
            case TNameCheck::WrongName:
                errorText = "Invalid Board Name";
                break;
            case TNameCheck::Ok:
                result = true;
                break;
            }
            if (!result)
                board.Disconnect();
        }
    }
    if (result) {
        report.Status("Connected", Tone::Success);
        return true;
    }
    if (errorText.empty())
        errorText = "Connect NG!";
    report.Info(errorText, Tone::Failure);
    if (showError)
        report.Box(MessageKind::Error, errorText);
    return false;
}

void TConnectSequence::ReportLoadError(const TDownload& download) {
    if (!download.LoadError().empty())
        report.Box(MessageKind::Error, download.LoadError());
}

bool TConnectSequence::ConfigureFpga(uint8_t type) {
    const char* designName = DesignFileFor(type);
    KBR_ASSERT(designName != nullptr, "fpgaType == FPGA_EP3C120_EP4CE115");
    TDownload download;
    ReportLoadError(download);
    report.Info(kConfiguring, Tone::Progress);
    return Configure(download, DesignFilePath(designName));
}

bool TConnectSequence::Configure(TDownload& download, const std::string& designFile) {
    const std::string reason = DownloadReason(download, designFile);
    if (!reason.empty()) {
        report.ProgressHold();
        report.Box(MessageKind::Error, reason);
    }
    report.Info(reason.empty() ? "Configure FPGA success" : "Configure FPGA fail",
                reason.empty() ? Tone::Success : Tone::Failure);
    return reason.empty();
}

std::string TConnectSequence::DownloadReason(TDownload& download, const std::string& designFile) {
    if (!download.IsLoaded())
        return "Download tool not found.";
    if (download.GetQuatusVersion() == 0)
        return "Please make sure Quartus is installed!";
    // The download tool looks for what it needs beside the program.
    platform::SetCurrentDirectory(platform::ProgramDirectory());
    if (!platform::FileExists(designFile))
        return MissingFileText(designFile);
    if (board.IsConnected())
        board.Disconnect();
    report.Status("Disconnected", Tone::Failure);
    report.Progress(5, 95, kConfigureMs);
    report.Info(kConfiguring, Tone::Progress);
    if (!download.JtagDownload(designFile))
        return "download SOPC file (" + platform::FileNameOf(designFile) + ") fail!";
    return {};
}

#pragma once
#include <cstdint>
#include <string>

#include "core/Host.h"

class TBoard;
class TDownload;

// Connecting to the board, for both front ends: open the link and check the
// board's name; when it does not answer, configure the FPGA and check again,
// unless another program holds the link (configuring would cut it off).
// Every step is told through the host; the texts live here only.
class TConnectSequence {
  public:
    enum FpgaType : uint8_t { FPGA_NONE, FPGA_UNSUPPORTED, FPGA_EP3C120_EP4CE115 };

    TConnectSequence(TBoard& board, THost& report) : board(board), report(report) {}

    // The whole sequence; true when the board is connected at its end.
    bool Connect();
    // Opens the link and checks the board's name; `showError` puts a failure in a box too.
    bool CheckBoard(bool showError);
    // Configures the FPGA of `fpgaType` with its design file.
    bool ConfigureFpga(uint8_t fpgaType);
    // Configures the FPGA from `designFile` with `download`; a failure is boxed.
    bool Configure(TDownload& download, const std::string& designFile);
    // Opens the link; a JTAG library that could not be used is boxed.
    bool OpenLink(std::string& errorText);
    // Boxes why the download tool could not be loaded, if it could not.
    void ReportLoadError(const TDownload& download);

    // "EP3C120/EP4CE115" once the board was detected; empty after a failure.
    const std::string& FpgaTypeText() const { return fpgaTypeText; }

    // The board-name check of every connect: the board told a name, and it is ours.
    enum class TNameCheck { Ok, NoAnswer, WrongName };
    static TNameCheck CheckBoardName(TBoard& board, std::string& name);

    static uint8_t ClassifyFpgaType(const std::string& text);
    // The design file for `fpgaType`, or null when it has none.
    static const char* DesignFileFor(uint8_t fpgaType);
    static std::string MissingFileText(const std::string& path);
    // Why the virtual board's directory must not be used (it is not ours, or
    // others may enter it); empty when it may, or another cable is chosen.
    static std::string RefusedDirectory();
    // Why the chosen cable cannot be used: an unknown name, or a refused
    // directory; empty when it can.
    static std::string RefusedCable();

  private:
    std::string DownloadReason(TDownload& download, const std::string& designFile);

    TBoard& board;
    THost& report;
    std::string fpgaTypeText;
    uint8_t fpgaType = FPGA_NONE;
};

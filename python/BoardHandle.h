#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <pybind11/pybind11.h>

#include "core/formats/ContentFormat.h"
#include "core/jobs/MemoryTransfer.h"
#include "core/jobs/SelfTestReport.h"
#include "python/PythonHost.h"
#include "core/devices/Memories.h"

namespace kbr::python {

// The C++ side of kbr370.Board: one board connection and its host, with
// every operation a thin call into the core. Each call releases the GIL
// while the board works and raises a failure as its exception (PyErrors.h);
// after a lost link, Connect() opens it again. Arguments are checked by the
// Python side before they come here.
class TBoardHandle {
  public:
    explicit TBoardHandle(uint32_t timeLimitMs);
    ~TBoardHandle();

    // Connects, configuring a blank board with `design` (empty: the one
    // beside the programs), never a board whose link another program holds.
    void Connect(const std::string& design);
    void Disconnect();
    bool Connected() const;
    std::string Name() const { return name; }
    std::string LinkInfo() const;

    void SetLeds(uint32_t bits);
    void SetSeg7(uint32_t value, uint8_t extra);
    // The keys (bits 0-3) and the switches (bits 0-17).
    std::pair<uint32_t, uint32_t> Inputs();
    void SetLcd(const std::string& line0, const std::string& line1);
    void SetVga(int pattern);
    int Usb();
    // The card's registers decoded, as `kbr370 sd --json` prints them.
    pybind11::dict Sd();
    // The loopback test: (passed, failing pins as the page lists them).
    std::pair<bool, std::vector<std::string>> Hsmc();

    pybind11::bytes Read(const kbr::devices::TMemory& memory, uint32_t address, uint32_t count,
                         pybind11::object progress);
    void Write(const kbr::devices::TMemory& memory, uint32_t address, const pybind11::buffer& data,
               pybind11::object progress);
    std::optional<uint32_t> Verify(const kbr::devices::TMemory& memory, uint32_t address,
                                   const pybind11::buffer& data, pybind11::object progress);
    void Erase(pybind11::object progress);
    // Reads the range into the file `path` in `format`, as `kbr370 mem read`
    // does: the file appears only when the whole range was read.
    void Save(const kbr::devices::TMemory& memory, uint32_t address, uint32_t count,
              const std::string& path, TContentFormat format, pybind11::object progress);

    // Writes the content file `path` (in `format`, else the one of its name)
    // from `address` on, as `kbr370 mem write` does; returns the bytes written.
    // A file that cannot be read or does not fit is a ValueError, before the
    // board is touched.
    uint64_t Load(const kbr::devices::TMemory& memory, uint32_t address, const std::string& path,
                  std::optional<TContentFormat> format, pybind11::object progress);

    void Rs232Send(const std::string& bytes);
    // Monitoring mode of `channel` on; each tick the device's news, decoded
    // (bytes for RS232, (buttons, dx, dy) reports for PS/2, (code, key) for
    // IR); off again.
    void WatchStart(int channel);
    pybind11::object WatchTick(int channel);
    void WatchStop(int channel);

    // The self test over `areas`; each report kind ("junit", "json", "html")
    // named in `reports` is written to its path, through the output rules.
    // With `ask` (question -> bool) the run is interactive; `tell` hears
    // what to do at the board.
    TSelfTestReport SelfTest(const std::vector<std::string>& areas, bool full, bool destructive,
                             bool rs232Loopback, const std::map<std::string, std::string>& reports,
                             pybind11::object progress, pybind11::object ask,
                             pybind11::object tell);

  private:
    class TOperation;
    TMemoryTransfer Transfer();
    // Writes a bytes-like object's bytes from `address` on, or with `verify`
    // compares them, as one whole transfer.
    TMemoryTransfer::TResult PassBytes(const kbr::devices::TMemory& memory, uint32_t address,
                                       const pybind11::buffer& data, pybind11::object progress,
                                       bool verify);
    struct TImpl;

    TPythonHost host; // before the connection, which tells it everything
    std::unique_ptr<TImpl> impl;
    std::string name;
};

} // namespace kbr::python

#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <pybind11/pybind11.h>

#include "core/DeviceWatch.h"
#include "core/jobs/SelfTestReport.h"
#include "python/PythonHost.h"
#include "wire/Memories.h"

namespace kbr::python {

// The C++ side of kbr370.Board: one board session and its host, with every
// operation a thin call into the core. Each call releases the GIL while the
// board works, raises a failure as its exception (PyErrors.h), and is left
// usable after a lost link by Connect(). Arguments are checked by the Python
// side before they come here.
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
    uint32_t Inputs();
    void SetLcd(const std::string& line0, const std::string& line1);
    void SetVga(int pattern);
    int Usb();
    // The card's registers decoded, as `kbr370 sd --json` prints them.
    pybind11::dict Sd();
    // The loopback test's failing masks: (transceiver groups, pin pairs).
    std::pair<uint32_t, uint64_t> Hsmc();

    pybind11::bytes Read(const kbr::wire::TMemory& memory, uint32_t address, uint32_t count,
                         pybind11::object progress);
    void Write(const kbr::wire::TMemory& memory, uint32_t address, const pybind11::buffer& data,
               pybind11::object progress);
    std::optional<uint32_t> Verify(const kbr::wire::TMemory& memory, uint32_t address,
                                   const pybind11::buffer& data, pybind11::object progress);
    void Erase(pybind11::object progress);

    void Rs232Send(const std::string& bytes);
    // Monitoring mode of `channel` on, one poll, off again.
    void WatchStart(int channel);
    pybind11::bytes WatchTick(int channel);
    void WatchStop(int channel);

    // The self test over `areas`; each report kind ("junit", "json", "html")
    // named in `reports` is written to its path, through the output rules.
    TSelfTestReport SelfTest(const std::vector<std::string>& areas, bool full, bool destructive,
                             bool rs232Loopback, const std::map<std::string, std::string>& reports,
                             pybind11::object progress);

  private:
    class TOperation;
    // Raises LinkError with `what` (and the core's reason), leaving the link
    // closed for Connect to open again.
    [[noreturn]] void LinkFailed(const std::string& what);
    // A plain command's false: refused when the board still answers, else a lost link.
    [[noreturn]] void Failed(const std::string& what);

    struct TImpl;
    std::unique_ptr<TImpl> impl;
    TPythonHost host;
    std::string name;
};

} // namespace kbr::python

#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vboard/BoardModel.h"
#include "vboard/FaultQueue.h"

namespace vboard {

// The ctl socket's command table: one line in, one reply line out. What the
// daemon itself owns (the FPGA's configuration, the link, the pacing) is
// reached through THost.
class TControlProtocol {
  public:
    class THost {
      public:
        virtual ~THost() = default;
        virtual bool Configured() const = 0;
        virtual bool LinkOpen() const = 0;
        virtual void Configure() = 0;                          // a valid design was loaded
        virtual void Blank() = 0;                              // lose the design, cut the link
        virtual void PowerCycle() = 0;                         // everything as after power-on
        virtual uint64_t PowerGeneration() const = 0;          // changes at every power cycle
        virtual void SetLinkRate(uint32_t bytesPerSecond) = 0; // 0: unpaced
        virtual int LinkHolder() const = 0; // the pid that opened the link; 0 when unknown
        // The folder the daemon serves, as it was given; empty when it has none.
        virtual std::string Folder() const { return {}; }
    };

    struct TResult {
        std::string reply;                     // sent at once unless `deferred` is set
        uint32_t delayMs = 0;                  // with `deferred`: wait this long first
        std::function<std::string()> deferred; // runs after the wait and gives the reply
    };

    static constexpr uint32_t kConfigureMs = 1500;
    static constexpr size_t kMaxMemRead = 65536;

    TControlProtocol(TBoardModel& model, TFaultQueue& faults, THost& host);

    TResult Execute(const std::string& line);

    uint32_t configureMs = kConfigureMs;

  private:
    using Words = std::vector<std::string>;
    using Handler = std::string (TControlProtocol::*)(const Words&);
    // One row per command: it dispatches and it is what `help` says.
    struct TCommand {
        const char* name;
        const char* sub;  // second word, or null
        std::string args; // as help shows them; empty when there are none
        std::string what; // what it does, for `help <command>`
        size_t minArgs;   // words after the name (and sub)
        size_t maxArgs;
        Handler handler; // null for configure, whose path is the rest of the line
        std::string Usage() const;
    };
    static const TCommand kCommands[];

    TResult Configure(const std::string& path);
    std::string UnknownCommand(const Words& words) const;

    std::string Help(const Words&);
    std::string Status(const Words&);
    std::string Blank(const Words&);
    std::string GetLeds(const Words&);
    std::string GetSeg7(const Words&);
    std::string GetLcd(const Words&);
    std::string GetVga(const Words&);
    std::string GetRs232Tx(const Words&);
    std::string GetModes(const Words&);
    std::string GetInputs(const Words&);
    std::string GetLink(const Words&);
    std::string GetDaemon(const Words&);
    std::string SetInputs(const Words&);
    std::string SdInsert(const Words&);
    std::string SdRemove(const Words&);
    std::string IrPush(const Words&);
    std::string IrPresent(const Words&);
    std::string Ps2Push(const Words&);
    std::string Ps2Present(const Words&);
    std::string Rs232Push(const Words&);
    std::string Rs232Loopback(const Words&);
    std::string Usb(const Words&);
    std::string HsmcAdapter(const Words&);
    std::string HsmcFail(const Words&);
    std::string MemRead(const Words&);
    std::string MemWrite(const Words&);
    std::string EraseSteps(const Words&);
    std::string EraseStepMs(const Words&);
    std::string Fault(const Words&);
    std::string DefectMemStuck(const Words&);
    std::string DefectMemAlias(const Words&);
    std::string DefectFlashSector(const Words&);
    std::string DefectClear(const Words&);
    std::string LinkRate(const Words&);
    std::string LogRequests(const Words&);
    std::string Reset(const Words&);

    TBoardModel& model;
    TFaultQueue& faults;
    THost& host;
};

} // namespace vboard

#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/VBoardDir.h"
#include "vboard/BoardModel.h"
#include "vboard/ControlProtocol.h"
#include "vboard/FaultQueue.h"
#include "vboard/FrameParser.h"
#include "vboard/Pacer.h"

namespace vboard {

// The virtual board's process: one single-threaded poll loop over the `link`
// socket (one client, request frames in, reply frames out) and the `ctl`
// socket (any number of clients, one command per line). Waits such as an
// erase step, a stall or a configure are timers, so nothing ever blocks the
// loop.
class TDaemon : public TControlProtocol::THost {
  public:
    using Clock = std::chrono::steady_clock;
    enum class OpenResult { Ok, AlreadyRunning, Failed };

    static constexpr size_t kLinkInputMax = 64 * 1024;
    static constexpr size_t kCtlLineMax = 4u << 20;
    static constexpr size_t kCtlClientsMax = 64;
    // Replies a ctl client may leave unread before we stop reading its
    // requests: a client that asks and never reads must not grow us.
    static constexpr size_t kCtlBacklogMax = 1u << 20;
    // A ctl client that neither sends nor takes anything for this long is closed.
    static constexpr uint32_t kCtlIdleMs = 30000;

    explicit TDaemon(std::string dir);
    ~TDaemon() override;
    TDaemon(const TDaemon&) = delete;
    TDaemon& operator=(const TDaemon&) = delete;

    // Makes the private directory (or checks that an existing one is ours
    // with 0700), takes its lock and starts listening. What it made goes
    // again at destruction.
    OpenResult Open(std::string& error);
    // Serves until RequestStop.
    void Run();
    // Safe from a signal handler and from another thread.
    void RequestStop();

    const std::string& Dir() const { return dir; }
    // How long a configure takes (tests shorten it).
    void SetConfigureMs(uint32_t ms) { control.configureMs = ms; }
    // The board itself, for tests that run the daemon in their own process:
    // what they change here before Run (hardware defects) the link then sees.
    TBoardModel& Model() { return model; }
    // How long a ctl client may stay idle (tests shorten it).
    void SetCtlIdleMs(uint32_t ms) { ctlIdle = std::chrono::milliseconds(ms); }
    static std::string LockPath(const std::string& dir) { return platform::VBoardLockFile(dir); }
    static std::string PidPath(const std::string& dir) { return platform::VBoardPidFile(dir); }

    // THost
    bool Configured() const override { return configured; }
    bool LinkOpen() const override { return link.fd >= 0; }
    void Configure() override;
    void Blank() override;
    void PowerCycle() override;
    uint64_t PowerGeneration() const override { return powerGeneration; }
    void SetLinkRate(uint32_t bytesPerSecond) override;
    int LinkHolder() const override { return link.fd >= 0 ? link.holder : 0; }
    std::string Folder() const override { return dir; }

  private:
    struct TLink {
        int fd = -1;
        std::vector<uint8_t> in; // read from the socket, not yet given to the parser
        size_t inHead = 0, inEnd = 0;
        std::vector<uint8_t> out; // reply bytes not yet sent
        size_t outHead = 0;
        bool busy = false; // a reply is being worked on (erase, stall)
        bool sendBlocked = false;
        uint64_t generation = 0; // changes whenever the link is cut
        int holder = 0;          // pid of the process that connected; 0 when unknown
    };
    struct TCtlClient {
        int fd = -1;
        std::string in, out;
        bool waiting = false; // a reply is deferred (configure)
        bool closing = false;
        Clock::time_point lastActivity;
        bool HasLine() const { return in.find('\n') != std::string::npos; }
        bool Listening() const { return !closing && !waiting && out.size() < kCtlBacklogMax; }
    };

    void AddTimer(uint32_t delayMs, std::function<void()> fn);
    void RunDueTimers(Clock::time_point now);
    Clock::time_point NextWake(Clock::time_point now) const;

    void AcceptLink();
    void AcceptCtl();
    void ReadLink();
    void PumpLink(Clock::time_point now);
    void Reply(uint8_t command, TBoardModel::TReply reply);
    void Emit(const TFaultQueue::TOutcome& outcome);
    void SendLink(Clock::time_point now);
    void CutLink();

    // The control client `id`, or null once it has gone.
    TCtlClient* CtlClient(uint64_t id);
    void ReadCtl(uint64_t id);
    void ProcessCtl(uint64_t id);
    void FlushCtl(uint64_t id);
    void CloseCtl(uint64_t id);
    void CloseIdleCtl(Clock::time_point now);
    void EvictIdlestCtl();

    std::string dir;
    int lockFd = -1, linkListen = -1, ctlListen = -1;
    int wakeRead = -1, wakeWrite = -1;
    std::atomic<bool> stopRequested{false};
    bool ownsFiles = false;
    bool createdDir = false;

    TBoardModel model;
    TFaultQueue faults;
    TControlProtocol control;
    bool configured = false;
    uint64_t powerGeneration = 0;

    TLink link;
    TFrameParser parser;
    TPacer inPacer, outPacer;

    std::map<uint64_t, TCtlClient> ctlClients;
    Clock::duration ctlIdle = std::chrono::milliseconds(kCtlIdleMs);
    uint64_t nextCtlId = 1;
    std::multimap<Clock::time_point, std::function<void()>> timers;
};

} // namespace vboard

#include "vboard/Daemon.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"

namespace vboard {

namespace {

void SetNonBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

// The private directory: made here with mode 0700, or an existing one that
// is already ours with 0700. Another directory's mode is never changed: it may
// be a home or /tmp that someone gave us by mistake. `created` tells whether
// the directory is ours to remove at the end.
bool PrepareDirectory(const std::string& dir, bool& created, std::string& error) {
    created = false;
    if (platform::CheckVBoardDirectory(dir, error) == platform::VBoardDirState::Refused)
        return false;
    return platform::MakePrivateDirectory(dir, platform::kVBoardDirName, created, error);
}

// Takes the daemon's lock. The lock file is removed when a daemon stops, so a
// lock taken on a file that has just been unlinked would be no lock at all:
// hold it only when the name still leads to the same file.
int TakeLock(const std::string& path, bool& held) {
    held = false;
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return -1;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            held = true;
            return fd;
        }
        struct stat byFd {
        }, byName{};
        if (fstat(fd, &byFd) == 0 && lstat(path.c_str(), &byName) == 0 &&
            byFd.st_dev == byName.st_dev && byFd.st_ino == byName.st_ino)
            return fd;
        close(fd);
    }
    return -1;
}

// Writes the pid file afresh: a file or link left in its place is removed, and
// the new one is created exclusively, so nothing is ever written through a link.
bool WritePidFile(const std::string& path) {
    unlink(path.c_str());
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::string pid = std::to_string(getpid()) + "\n";
    bool ok = write(fd, pid.data(), pid.size()) == ssize_t(pid.size());
    return close(fd) == 0 && ok;
}

} // namespace

TDaemon::TDaemon(std::string dir) : dir(std::move(dir)), control(model, faults, *this) {
    link.in.resize(kLinkInputMax);
}

TDaemon::~TDaemon() {
    CutLink();
    for (auto& [id, c] : ctlClients)
        platform::CloseFd(c.fd);
    platform::CloseFd(linkListen);
    platform::CloseFd(ctlListen);
    if (ownsFiles) {
        unlink(platform::VBoardLinkSocket(dir).c_str());
        unlink(platform::VBoardControlSocket(dir).c_str());
        unlink(PidPath(dir).c_str());
        // Removed while still held, so no other daemon takes it in between.
        unlink(LockPath(dir).c_str());
    }
    platform::CloseFd(lockFd);
    // Only empty: whatever someone else put there stays.
    if (createdDir)
        rmdir(dir.c_str());
    platform::CloseFd(wakeRead);
    platform::CloseFd(wakeWrite);
}

TDaemon::OpenResult TDaemon::Open(std::string& error) {
    if (!PrepareDirectory(dir, createdDir, error))
        return OpenResult::Failed;
    bool held = false;
    lockFd = TakeLock(LockPath(dir), held);
    if (lockFd < 0) {
        error = "cannot open " + LockPath(dir) + ": " + std::strerror(errno);
        return OpenResult::Failed;
    }
    if (held) {
        createdDir = false; // it is the other daemon's to remove
        error = "a virtual board already serves " + dir;
        return OpenResult::AlreadyRunning;
    }
    // Sockets someone else serves here (a forwarding from another machine)
    // would be replaced by ours: leave them, and the folder as it was.
    for (const std::string& socket :
         {platform::VBoardLinkSocket(dir), platform::VBoardControlSocket(dir)})
        if (platform::SocketListens(socket)) {
            unlink(LockPath(dir).c_str());
            error = "another process serves " + socket +
                    " (a forwarding from another machine?); it is left as it is";
            return OpenResult::Failed;
        }
    ownsFiles = true;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = "cannot make a pipe";
        return OpenResult::Failed;
    }
    wakeRead = pipeFds[0];
    wakeWrite = pipeFds[1];
    linkListen = platform::ListenUnix(platform::VBoardLinkSocket(dir));
    ctlListen = platform::ListenUnix(platform::VBoardControlSocket(dir), 32);
    if (linkListen < 0 || ctlListen < 0) {
        error = "cannot listen in " + dir + ": " + std::strerror(errno);
        return OpenResult::Failed;
    }
    SetNonBlocking(linkListen);
    SetNonBlocking(ctlListen);
    if (!WritePidFile(PidPath(dir))) {
        error = "cannot write " + PidPath(dir) + ": " + std::strerror(errno);
        return OpenResult::Failed;
    }
    return OpenResult::Ok;
}

void TDaemon::RequestStop() {
    stopRequested = true;
    if (wakeWrite >= 0) {
        char c = 1;
        if (write(wakeWrite, &c, 1) < 0) {
        }
    }
}

// ---- host side of the control protocol ----

void TDaemon::Configure() {
    // Reloading the FPGA restarts the design and its JTAG UART.
    CutLink();
    model.ResetDesign();
    configured = true;
}

void TDaemon::Blank() {
    configured = false;
    CutLink();
    // The monitoring modes live in the design: a cleared FPGA watches nothing.
    model.irMode = model.rs232Mode = model.ps2Mode = false;
}

void TDaemon::PowerCycle() {
    configured = false;
    CutLink();
    model.Reset();
    faults.Clear();
    SetLinkRate(0);
    ++powerGeneration;
}

void TDaemon::SetLinkRate(uint32_t bytesPerSecond) {
    inPacer.SetRate(bytesPerSecond);
    outPacer.SetRate(bytesPerSecond);
}

// ---- timers ----

void TDaemon::AddTimer(uint32_t delayMs, std::function<void()> fn) {
    timers.emplace(Clock::now() + std::chrono::milliseconds(delayMs), std::move(fn));
}

void TDaemon::RunDueTimers(Clock::time_point now) {
    while (!timers.empty() && timers.begin()->first <= now) {
        auto fn = std::move(timers.begin()->second);
        timers.erase(timers.begin());
        fn();
    }
}

TDaemon::Clock::time_point TDaemon::NextWake(Clock::time_point now) const {
    auto wake = now + std::chrono::seconds(60);
    for (const auto& [id, c] : ctlClients)
        wake = std::min(wake, c.lastActivity + ctlIdle);
    if (!timers.empty())
        wake = std::min(wake, timers.begin()->first);
    if (link.fd >= 0) {
        if (link.outHead < link.out.size() && !link.sendBlocked && outPacer.Limited())
            wake = std::min(wake, outPacer.NextAt(now, link.out.size() - link.outHead));
        if (link.inHead < link.inEnd && inPacer.Limited() && parser.Space() > 0)
            wake = std::min(wake, inPacer.NextAt(now, std::min(link.inEnd - link.inHead, parser.Space())));
    }
    return wake;
}

// ---- the link ----

void TDaemon::AcceptLink() {
    int fd = accept4(linkListen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    // A blank FPGA has no JTAG UART to talk to, and the UART has one master.
    if (!configured || link.fd >= 0) {
        close(fd);
        return;
    }
    link.fd = fd;
    // Who opened it, so a forgotten holder can be found (`list`).
    ucred peer{};
    socklen_t size = sizeof peer;
    link.holder = getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 ? peer.pid : 0;
    link.inHead = link.inEnd = 0;
    link.out.clear();
    link.outHead = 0;
    link.busy = false;
    link.sendBlocked = false;
    parser.Clear();
    inPacer.Idle();
    outPacer.Idle();
}

void TDaemon::CutLink() {
    if (link.fd >= 0)
        close(link.fd);
    link.fd = -1;
    link.inHead = link.inEnd = 0;
    link.out.clear();
    link.outHead = 0;
    link.busy = false;
    link.sendBlocked = false;
    ++link.generation;
    parser.Clear();
    inPacer.Idle();
    outPacer.Idle();
}

void TDaemon::ReadLink() {
    if (link.inHead > 0) {
        std::memmove(link.in.data(), link.in.data() + link.inHead, link.inEnd - link.inHead);
        link.inEnd -= link.inHead;
        link.inHead = 0;
    }
    size_t room = link.in.size() - link.inEnd;
    if (room == 0)
        return;
    ssize_t n = recv(link.fd, link.in.data() + link.inEnd, room, 0);
    if (n > 0) {
        link.inEnd += size_t(n);
        return;
    }
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        CutLink();
}

void TDaemon::PumpLink(Clock::time_point now) {
    if (link.fd < 0)
        return;
    // Request bytes reach the board's program at the UART's pace.
    size_t waiting = link.inEnd - link.inHead;
    if (waiting > 0) {
        size_t take = std::min({waiting, inPacer.Allowance(now), parser.Space()});
        if (take > 0) {
            parser.Feed(link.in.data() + link.inHead, take);
            inPacer.Consumed(take);
            link.inHead += take;
        }
        if (link.inHead == link.inEnd) {
            link.inHead = link.inEnd = 0;
            inPacer.Idle();
        }
    }
    // One request at a time, as the board's program works: the next is taken
    // when the previous reply is out.
    TFrameView frame;
    while (link.fd >= 0 && !link.busy && link.outHead == link.out.size() && parser.Next(frame))
        Reply(frame.command, model.Handle(frame.command, frame.payload, frame.length));
    SendLink(now);
}

void TDaemon::Reply(uint8_t command, TBoardModel::TReply reply) {
    TFaultQueue::TOutcome outcome = TFaultQueue::Apply(faults.Take(), command, reply.payload);
    uint32_t delay = reply.delayMs + outcome.delayMs;
    if (delay == 0) {
        Emit(outcome);
        return;
    }
    link.busy = true;
    uint64_t generation = link.generation;
    AddTimer(delay, [this, generation, outcome = std::move(outcome)] {
        if (link.generation != generation)
            return;
        link.busy = false;
        Emit(outcome);
        PumpLink(Clock::now());
    });
}

void TDaemon::Emit(const TFaultQueue::TOutcome& outcome) {
    if (outcome.disconnect) {
        CutLink();
        return;
    }
    if (link.outHead == link.out.size()) {
        link.out.clear();
        link.outHead = 0;
    }
    link.out.insert(link.out.end(), outcome.bytes.begin(), outcome.bytes.end());
}

void TDaemon::SendLink(Clock::time_point now) {
    while (link.fd >= 0 && link.outHead < link.out.size() && !link.sendBlocked) {
        size_t count = std::min(link.out.size() - link.outHead, outPacer.Allowance(now));
        if (count == 0)
            break;
        ssize_t n =
            send(link.fd, link.out.data() + link.outHead, count, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                link.sendBlocked = true;
            else
                CutLink();
            break;
        }
        link.outHead += size_t(n);
        outPacer.Consumed(size_t(n));
    }
    if (link.fd >= 0 && link.outHead == link.out.size()) {
        link.out.clear();
        link.outHead = 0;
        outPacer.Idle();
    }
}

// ---- the control socket ----

void TDaemon::AcceptCtl() {
    int fd = accept4(ctlListen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    // A full table must not lock out a fresh client: the idlest one makes room.
    if (ctlClients.size() >= kCtlClientsMax)
        EvictIdlestCtl();
    TCtlClient c;
    c.fd = fd;
    c.lastActivity = Clock::now();
    ctlClients.emplace(nextCtlId++, std::move(c));
}

// A client waiting on a deferred reply counts like any other: otherwise a few
// that ask for slow work again and again would hold every place. What it
// asked for is still done when it has gone.
void TDaemon::EvictIdlestCtl() {
    auto idlest = std::min_element(ctlClients.begin(), ctlClients.end(),
                                   [](const auto& a, const auto& b) {
                                       return a.second.lastActivity < b.second.lastActivity;
                                   });
    if (idlest != ctlClients.end())
        CloseCtl(idlest->first);
}

void TDaemon::CloseIdleCtl(Clock::time_point now) {
    for (auto it = ctlClients.begin(); it != ctlClients.end();) {
        auto next = std::next(it);
        if (now - it->second.lastActivity >= ctlIdle)
            CloseCtl(it->first);
        it = next;
    }
}

void TDaemon::ReadCtl(uint64_t id) {
    TCtlClient& c = ctlClients.at(id);
    char buf[16384];
    ssize_t n = recv(c.fd, buf, sizeof buf, 0);
    if (n > 0) {
        c.lastActivity = Clock::now();
        c.in.append(buf, size_t(n));
        ProcessCtl(id);
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    // The peer has finished sending: a last line without its line break still
    // counts; answer everything, then close.
    c.closing = true;
    if (n == 0 && !c.in.empty() && c.in.back() != '\n')
        c.in.push_back('\n');
    ProcessCtl(id);
}

TDaemon::TCtlClient* TDaemon::CtlClient(uint64_t id) {
    auto it = ctlClients.find(id);
    return it == ctlClients.end() ? nullptr : &it->second;
}

void TDaemon::ProcessCtl(uint64_t id) {
    TCtlClient* client = CtlClient(id);
    if (!client)
        return;
    TCtlClient& c = *client;
    // Past the backlog the rest waits until the client has read its replies.
    while (!c.waiting && c.out.size() < kCtlBacklogMax) {
        size_t nl = c.in.find('\n');
        if (nl == std::string::npos) {
            if (c.in.size() > kCtlLineMax) {
                c.out += "error line too long\n";
                c.in.clear();
                c.closing = true;
            }
            break;
        }
        std::string line = c.in.substr(0, nl);
        c.in.erase(0, nl + 1);
        TControlProtocol::TResult r = control.Execute(line);
        if (!r.deferred) {
            c.out += r.reply + "\n";
            continue;
        }
        c.waiting = true;
        AddTimer(r.delayMs, [this, id, fn = std::move(r.deferred)] {
            // The work is done even when the asker has gone away.
            std::string reply = fn();
            TCtlClient* found = CtlClient(id);
            if (!found)
                return;
            found->out += reply + "\n";
            found->waiting = false;
            found->lastActivity = Clock::now();
            ProcessCtl(id);
        });
    }
    FlushCtl(id);
}

void TDaemon::FlushCtl(uint64_t id) {
    TCtlClient* client = CtlClient(id);
    if (!client)
        return;
    TCtlClient& c = *client;
    while (!c.out.empty()) {
        ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            CloseCtl(id);
            return;
        }
        c.out.erase(0, size_t(n));
        c.lastActivity = Clock::now();
    }
    if (c.closing && !c.waiting && !c.HasLine())
        CloseCtl(id);
}

void TDaemon::CloseCtl(uint64_t id) {
    auto it = ctlClients.find(id);
    if (it == ctlClients.end())
        return;
    close(it->second.fd);
    ctlClients.erase(it);
}

// ---- the loop ----

void TDaemon::Run() {
    std::vector<pollfd> fds;
    std::vector<uint64_t> ctlIds;
    while (!stopRequested) {
        auto now = Clock::now();
        RunDueTimers(now);
        CloseIdleCtl(now);
        PumpLink(now);

        fds.clear();
        ctlIds.clear();
        fds.push_back({wakeRead, POLLIN, 0});
        fds.push_back({linkListen, POLLIN, 0});
        fds.push_back({ctlListen, POLLIN, 0});
        short linkEvents = 0;
        if (link.fd >= 0) {
            if (link.inEnd < link.in.size() || link.inHead > 0)
                linkEvents |= POLLIN;
            if (link.sendBlocked)
                linkEvents |= POLLOUT;
        }
        fds.push_back({link.fd, linkEvents, 0});
        for (auto& [id, c] : ctlClients) {
            short ev = c.Listening() ? POLLIN : 0;
            if (!c.out.empty())
                ev |= POLLOUT;
            // A client that has hung up and waits for a deferred reply would
            // report POLLHUP on every round; leave it out until there is output.
            fds.push_back({ev ? c.fd : -1, ev, 0});
            ctlIds.push_back(id);
        }

        now = Clock::now();
        auto wait = std::max(NextWake(now) - now, Clock::duration::zero());
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        timespec ts{time_t(ns / 1000000000), long(ns % 1000000000)};
        int r = ppoll(fds.data(), fds.size(), &ts, nullptr);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents) {
            char buf[64];
            while (read(wakeRead, buf, sizeof buf) > 0) {
            }
        }
        if (fds[3].fd >= 0 && fds[3].fd == link.fd) {
            if (fds[3].revents & (POLLHUP | POLLERR))
                CutLink(); // the PC has gone; what it still sent needs no answer
            else if (fds[3].revents & POLLIN)
                ReadLink();
            if (fds[3].revents & POLLOUT)
                link.sendBlocked = false;
        }
        if (fds[1].revents & POLLIN)
            AcceptLink();
        for (size_t i = 0; i < ctlIds.size(); ++i) {
            const pollfd& p = fds[4 + i];
            if (!ctlClients.count(ctlIds[i]))
                continue;
            if (p.revents & POLLOUT) {
                FlushCtl(ctlIds[i]);
                // Room again in the backlog: answer what was held back.
                auto it = ctlClients.find(ctlIds[i]);
                if (it != ctlClients.end() && !it->second.waiting &&
                    it->second.out.size() < kCtlBacklogMax && it->second.HasLine())
                    ProcessCtl(ctlIds[i]);
            }
            auto it = ctlClients.find(ctlIds[i]);
            if (it != ctlClients.end() && it->second.Listening() &&
                (p.revents & (POLLIN | POLLHUP | POLLERR)))
                ReadCtl(ctlIds[i]);
        }
        if (fds[2].revents & POLLIN)
            AcceptCtl();
    }
}

} // namespace vboard

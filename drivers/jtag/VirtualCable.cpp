#include "drivers/jtag/VirtualCable.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

#include "drivers/common/Complain.h"
#include "drivers/common/VBoardClient.h"
#include "platform/UnixSocket.h"

namespace drivers {

namespace {
constexpr const char* kPrefix = "ZOLVANE_JTAG";
using kbr::wire::LinkFailure;
} // namespace

VirtualCable::VirtualCable(std::string dllDir) : dllDir(std::move(dllDir)) {}

VirtualCable::~VirtualCable() { Close(); }

bool VirtualCable::Open(int32_t, const std::string&) {
    Close();
    failure = LinkFailure::Other;
    VBoardClient client;
    boardDir = client.Dir();
    std::string error;
    if (!client.EnsureDaemon(dllDir, &error)) {
        Complain(kPrefix, error);
        return false;
    }
    auto status = client.Status();
    // A blank FPGA has no Nios II program to talk to; the panel configures it
    // and opens again, so this is no error worth a line.
    if (!status || !status->configured) {
        failure = LinkFailure::NoBoard;
        return false;
    }
    if (status->linkOpen && !WaitForFreeLink(client)) {
        failure = LinkFailure::InUse;
        return false;
    }

    fd = client.ConnectLink(error);
    if (fd < 0) {
        Complain(kPrefix, error);
        return false;
    }
    if (HungUpAtOnce()) {
        Close();
        return false;
    }
    failure = LinkFailure::None;
    return true;
}

// The board serves one link at a time. A link this process has just closed
// may not have been noticed by the board yet, so give it a moment; a link held
// by someone else stays, and the open fails.
bool VirtualCable::WaitForFreeLink(const VBoardClient& client) const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLinkReleaseMs);
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        auto status = client.Status();
        if (!status || !status->configured)
            return false;
        if (!status->linkOpen)
            return true;
    }
    Complain(kPrefix, "the virtual board in " + boardDir + " already has a link open");
    return false;
}

// The board closes a refused connection at once; catch that if it has already
// happened, without waiting for it.
bool VirtualCable::HungUpAtOnce() const {
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, 0) <= 0)
        return false;
    if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))
        return true;
    uint8_t byte;
    return recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

void VirtualCable::Close() {
    platform::CloseFd(fd);
    fd = -1;
    broken = false;
}

bool VirtualCable::Write(const uint8_t* bytes, uint32_t count) {
    if (fd < 0 || (!bytes && count > 0))
        return false;
    // Our own loop rather than a blocking send: a board that stops reading
    // must not hang the caller for ever.
    while (count > 0) {
        ssize_t n = send(fd, bytes, count, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            bytes += n;
            count -= static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd pfd{fd, POLLOUT, 0};
            int r = poll(&pfd, 1, kWriteStallMs);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0 || (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)))
                return false;
            continue;
        }
        return false;
    }
    return true;
}

// A closed socket is always readable, so a broken link is never waited on
// here: the base pauses instead, which keeps the caller's time limits as cheap
// as a silence.
uint32_t VirtualCable::Receive(uint8_t* buffer, uint32_t maxCount) {
    // The wait returns at once when bytes are there, so it comes first: one
    // call fewer on a silent link, and as many when data is waiting.
    return WaitReadable() ? ReceiveNow(buffer, maxCount) : 0;
}

// What the socket holds now, without waiting; marks the link broken when the
// board has closed it. A cut link also shows itself on the next write.
uint32_t VirtualCable::ReceiveNow(uint8_t* buffer, uint32_t maxCount) {
    for (;;) {
        const ssize_t n = recv(fd, buffer, maxCount, MSG_DONTWAIT);
        if (n > 0)
            return static_cast<uint32_t>(n);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            broken = true;
        return 0;
    }
}

// Whether bytes (or the board's hang-up) arrived within ReadWait().
bool VirtualCable::WaitReadable() const {
    pollfd pfd{fd, POLLIN, 0};
    const timespec timeout{0, static_cast<long>(ReadWait().count())};
    return ppoll(&pfd, 1, &timeout, nullptr) > 0;
}

std::string VirtualCable::Describe() const { return "KBR-370 virtual board at " + boardDir; }

} // namespace drivers

// Stands in for Quartus's libjtag_atlantic.so in the tests: the JTAG UART of a
// board's Nios II system, carried to a virtual board's `link` socket. It
// accepts writes in pieces no larger than the UART's FIFO and reports the
// board's state through the library's error numbers.
// KBR370_TEST_JTAG_SERVER=<host> stands for `jtagconfig --addserver <host>`:
// that machine's cable joins the local one, under the name the JTAG server
// gives a remote cable, and both reach the same virtual board.
#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"

#define STANDIN_EXPORT __attribute__((visibility("default")))

extern "C" int kbr_test_jtag_client_ready();

struct JTAGATLANTIC {
    int fd = -1;
    std::string cable;
};

namespace {

constexpr const char* kCableName = "USB-Blaster [test-1]";
constexpr unsigned kFifoBytes = 64;

int lastError = 0;
std::string lastDetail;

JTAGATLANTIC* Fail(int code, const std::string& detail = {}) {
    lastError = code;
    lastDetail = detail;
    return nullptr;
}

// The remote cable's name, empty while no server is added.
std::string RemoteCable() {
    const char* host = std::getenv("KBR370_TEST_JTAG_SERVER");
    return host && *host ? std::string("USB-Blaster on ") + host + " [1-1.4]" : std::string();
}

// The cable `name` asks for, or with no name the only cable there is; empty,
// with the library's error noted, when there is no such one cable.
std::string PickCable(const char* name) {
    const std::string remote = RemoteCable();
    if (!name) {
        if (!remote.empty())
            Fail(-2);
        return remote.empty() ? kCableName : "";
    }
    if (name == std::string(kCableName) || (!remote.empty() && name == remote))
        return name;
    Fail(-3, name);
    return {};
}

bool StatusSays(const std::string& reply, const char* pair) {
    return (" " + reply + " ").find(std::string(" ") + pair + " ") != std::string::npos;
}

} // namespace

STANDIN_EXPORT JTAGATLANTIC* jtagatlantic_open(const char* cable, int, int, const char* app) {
    if (!kbr_test_jtag_client_ready() || !app)
        return Fail(-1);
    const std::string picked = PickCable(cable);
    if (picked.empty())
        return nullptr;
    const std::string dir = platform::VBoardDirectory();
    std::string reply;
    if (!platform::ControlRequest(platform::VBoardControlSocket(dir), "status", reply, 2000))
        return Fail(-5);
    if (StatusSays(reply, "configured=0"))
        return Fail(-8);
    if (StatusSays(reply, "link=open"))
        return Fail(-6, "kbr370-vboard");
    int fd = platform::ConnectUnix(platform::VBoardLinkSocket(dir));
    if (fd < 0)
        return Fail(-5);
    lastError = 0;
    return new JTAGATLANTIC{fd, picked};
}

STANDIN_EXPORT int jtagatlantic_get_error(const char** detail) {
    if (detail)
        *detail = lastDetail.empty() ? nullptr : lastDetail.c_str();
    return lastError;
}

STANDIN_EXPORT void jtagatlantic_close(JTAGATLANTIC* link) {
    if (!link)
        return;
    close(link->fd);
    delete link;
}

STANDIN_EXPORT int jtagatlantic_write(JTAGATLANTIC* link, const char* data, unsigned count) {
    unsigned piece = count < kFifoBytes ? count : kFifoBytes;
    ssize_t n = send(link->fd, data, piece, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0)
        return static_cast<int>(n);
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

STANDIN_EXPORT int jtagatlantic_flush(JTAGATLANTIC*) { return 0; }

STANDIN_EXPORT int jtagatlantic_read(JTAGATLANTIC* link, char* buffer, unsigned count) {
    ssize_t n = recv(link->fd, buffer, count, MSG_DONTWAIT);
    if (n > 0)
        return static_cast<int>(n);
    if (n == 0)
        return -1; // the board hung up
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

STANDIN_EXPORT int jtagatlantic_bytes_available(JTAGATLANTIC* link) {
    int waiting = 0;
    return ioctl(link->fd, FIONREAD, &waiting) == 0 ? waiting : -1;
}

STANDIN_EXPORT void jtagatlantic_get_info(JTAGATLANTIC* link, const char** cable, int* device,
                                          int* instance) {
    if (cable)
        *cable = link->cable.c_str();
    if (device)
        *device = 1;
    if (instance)
        *instance = 0;
}

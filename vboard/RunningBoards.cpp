#include "vboard/RunningBoards.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include <fmt/format.h>

#include "platform/TerminalText.h"
#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"

namespace vboard {

namespace fs = std::filesystem;

namespace {

// The flag /proc/net/unix shows for a socket that accepts connections.
constexpr unsigned long kAcceptingFlag = 0x10000;

bool ParseNumber(std::string_view text, uint64_t& out, int base = 10) {
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && p == text.data() + text.size() && !text.empty();
}

std::string ReadFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The inodes of the sockets process `pid` holds.
std::vector<uint64_t> SocketsOf(const fs::path& processDir) {
    std::vector<uint64_t> inodes;
    std::error_code ec;
    for (fs::directory_iterator it(processDir / "fd", ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code linkError;
        if (uint64_t inode = SocketInode(fs::read_symlink(it->path(), linkError).string()))
            inodes.push_back(inode);
    }
    return inodes;
}

// What the daemon listening at `ctl` says of itself; "" when nothing of ours
// answers there.
std::string DaemonSays(const std::string& dir, const std::string& ctl) {
    std::string why, reply;
    const int fd = platform::ConnectVBoardSocket(dir, ctl, why);
    if (fd < 0)
        return {};
    return platform::ExchangeLine(fd, "get daemon", reply, 2000) ? reply : "";
}

} // namespace

std::multimap<uint64_t, std::string> ListeningUnixSockets(const std::string& procNetUnix) {
    std::multimap<uint64_t, std::string> sockets;
    std::istringstream lines(procNetUnix);
    std::string line;
    std::getline(lines, line); // the heading
    while (std::getline(lines, line)) {
        // Num RefCount Protocol Flags Type St Inode Path; the path is the rest
        // of the line and may hold blanks.
        std::istringstream fields(line);
        std::string num, refCount, protocol, flags, type, state;
        uint64_t inode = 0, flagBits = 0;
        if (!(fields >> num >> refCount >> protocol >> flags >> type >> state >> inode) ||
            !ParseNumber(flags, flagBits, 16) || !(flagBits & kAcceptingFlag))
            continue;
        std::string path;
        std::getline(fields >> std::ws, path);
        if (!path.empty() && path[0] == '/')
            sockets.emplace(inode, path);
    }
    return sockets;
}

uint64_t SocketInode(const std::string& fdLink) {
    const std::string_view prefix = "socket:[";
    uint64_t inode = 0;
    if (fdLink.size() <= prefix.size() + 1 || fdLink.compare(0, prefix.size(), prefix) != 0 ||
        fdLink.back() != ']' ||
        !ParseNumber(
            std::string_view(fdLink).substr(prefix.size(), fdLink.size() - prefix.size() - 1),
            inode))
        return 0;
    return inode;
}

std::string ProgramName(int pid, const std::string& proc) {
    return pid > 0 ? ReadFirstLine(proc + "/" + std::to_string(pid) + "/comm") : "";
}

std::vector<TRunningBoard> FindRunningBoards(const std::string& proc) {
    std::ifstream netUnix(proc + "/net/unix");
    const auto listening = ListeningUnixSockets({std::istreambuf_iterator<char>(netUnix), {}});
    const std::string ctlName = platform::VBoardControlSocket("");
    std::vector<TRunningBoard> boards;
    std::error_code ec;
    for (fs::directory_iterator it(proc, ec), end; !ec && it != end; it.increment(ec)) {
        uint64_t pid = 0;
        struct stat st {};
        if (!ParseNumber(it->path().filename().string(), pid) || pid == uint64_t(getpid()) ||
            stat(it->path().c_str(), &st) != 0 || st.st_uid != geteuid() ||
            ProgramName(int(pid), proc) != "kbr370-vboard")
            continue;
        TRunningBoard board{int(pid), {}};
        for (uint64_t inode : SocketsOf(it->path())) {
            const auto [first, last] = listening.equal_range(inode);
            for (auto found = first; found != last && board.dir.empty(); ++found) {
                const std::string& path = found->second;
                if (path.size() <= ctlName.size() ||
                    path.compare(path.size() - ctlName.size(), ctlName.size(), ctlName) != 0)
                    continue;
                const std::string dir = path.substr(0, path.size() - ctlName.size());
                if (DaemonSays(dir, path) ==
                    fmt::format("ok pid={} dir={}", pid, platform::TerminalSafe(dir)))
                    board.dir = dir;
            }
            if (!board.dir.empty())
                break;
        }
        boards.push_back(board);
    }
    std::sort(boards.begin(), boards.end(),
              [](const TRunningBoard& a, const TRunningBoard& b) { return a.dir < b.dir; });
    return boards;
}

} // namespace vboard

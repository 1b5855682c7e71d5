#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/TestVBoard.h"
#include "vboard/RunningBoards.h"

using vboard::ListeningUnixSockets;
using vboard::SocketInode;

// Only sockets that accept connections and have a name in the file system
// count; a path keeps its blanks.
TEST(RunningBoards, ListeningSocketsFromProcNetUnix) {
    const std::string text =
        "Num       RefCount Protocol Flags    Type St Inode Path\n"
        "0000000037e844fc: 00000002 00000000 00010000 0001 01 4711 /run/user/7/kbr370-vboard/ctl\n"
        "0000000037e844fd: 00000003 00000000 00000000 0001 03 4712 /run/user/7/kbr370-vboard/ctl\n"
        "0000000037e844fe: 00000002 00000000 00010000 0001 01 4713 @/tmp/.X11-unix/X0\n"
        "0000000037e844ff: 00000002 00000000 00010000 0001 01 4714\n"
        "0000000037e84500: 00000002 00000000 00010000 0001 01 4715 /tmp/my boards/b 1/ctl\n"
        "garbage line\n";
    const std::multimap<uint64_t, std::string> expected = {{4711, "/run/user/7/kbr370-vboard/ctl"},
                                                           {4715, "/tmp/my boards/b 1/ctl"}};
    EXPECT_EQ(ListeningUnixSockets(text), expected);
    EXPECT_TRUE(ListeningUnixSockets("").empty());
}

TEST(RunningBoards, SocketInodeOfADescriptorLink) {
    EXPECT_EQ(SocketInode("socket:[4711]"), 4711u);
    for (const char* other : {"pipe:[4711]", "socket:[]", "socket:[47x1]", "socket:[4711",
                              "/dev/null", "socket:[99999999999999999999999]", ""})
        EXPECT_EQ(SocketInode(other), 0u) << other;
}

namespace {

// What `kbr370-vboard list` prints, run with these arguments as they are.
std::string ListOutput() {
    int out[2];
    if (pipe(out) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);
        const std::string program = TestVBoard::BinDir() + "/kbr370-vboard";
        execl(program.c_str(), program.c_str(), "list", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char piece[4096];
    for (ssize_t n; (n = read(out[0], piece, sizeof piece)) > 0;)
        text.append(piece, size_t(n));
    close(out[0]);
    waitpid(child, nullptr, 0);
    return text;
}

// A socket that listens at `path`; -1 when it cannot be made.
int ListenAt(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                   listen(fd, 1) == 0
               ? fd
               : -1;
}

} // namespace

// Another user names sockets so that /proc/net/unix shows an invented line:
// our board's ctl socket in a folder of theirs, with an escape sequence.
// Neither the folder nor the sequence reaches the listing; our board is shown
// in its own folder, and a folder name of our own is shown escaped.
TEST(RunningBoards, ListedOnlyAsEachDaemonSaysAndEscaped) {
    const auto other = SecondUser();
    if (!other)
        GTEST_SKIP() << "another user's sockets: only when run as root";
    TestVBoard board(false);
    TempDir mine;
    const std::string oddDir = mine.File("b\x1b[1m\t");
    const std::string serve = TestVBoard::BinDir() + "/kbr370-vboard";
    if (const pid_t child = fork(); child == 0) {
        execl(serve.c_str(), serve.c_str(), "serve", "--dir", oddDir.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    } else {
        waitpid(child, nullptr, 0);
    }

    uint64_t ctlInode = 0;
    {
        std::ifstream netUnix("/proc/net/unix");
        for (const auto& [inode, path] :
             ListeningUnixSockets({std::istreambuf_iterator<char>(netUnix), {}}))
            if (path == board.Dir() + "/ctl")
                ctlInode = inode;
    }
    ASSERT_NE(ctlInode, 0u);

    char planted[] = "/tmp/rbXXXXXX";
    ASSERT_NE(mkdtemp(planted), nullptr);
    ASSERT_EQ(chown(planted, other->uid, other->gid), 0);
    const std::string fake = std::string(planted) + "/\x1b]0;x\x07";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t planter = fork();
    if (planter == 0) {
        if (setgid(other->gid) != 0 || setuid(other->uid) != 0)
            _exit(1);
        // The real line comes first or last in the kernel's table, so several.
        int made = 0;
        for (int i = 0; i < 16; ++i) {
            const std::string path = std::string(planted) + "/" + std::to_string(i) +
                                     "\n0: 0 0 10000 1 1 " + std::to_string(ctlInode) + " " + fake +
                                     "/ctl";
            std::error_code ec;
            std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
            made += ListenAt(path) >= 0;
        }
        (void)!write(ready[1], &made, sizeof made);
        pause();
        _exit(0);
    }
    close(ready[1]);
    int made = 0;
    ASSERT_EQ(read(ready[0], &made, sizeof made), ssize_t(sizeof made));
    close(ready[0]);
    EXPECT_EQ(made, 16);

    const auto boards = vboard::FindRunningBoards();
    const std::string listing = ListOutput();
    kill(planter, SIGKILL);
    waitpid(planter, nullptr, 0);
    std::filesystem::remove_all(planted);
    const std::string stop = serve + " stop --dir '" + oddDir + "'";
    EXPECT_EQ(std::system(stop.c_str()), 0);

    std::vector<std::string> dirs;
    for (const auto& b : boards)
        dirs.push_back(b.dir);
    EXPECT_NE(std::find(dirs.begin(), dirs.end(), board.Dir()), dirs.end());
    EXPECT_NE(std::find(dirs.begin(), dirs.end(), oddDir), dirs.end());
    EXPECT_EQ(listing.find(planted), std::string::npos) << listing;
    EXPECT_EQ(listing.find('\x1b'), std::string::npos) << "an escape reached the terminal";
    EXPECT_NE(listing.find(" " + board.Dir() + "\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find(mine.File("b\\x1B[1m\\x09") + "\n"), std::string::npos) << listing;
}

// kbr370's progress bar on long transfers: drawn on a terminal, wiped before
// the closing line, and never written anywhere else.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/support/TestVBoard.h"

namespace {

struct Result {
    int code = -1;
    std::string err;
};

// Runs kbr370 with standard error on a fresh pseudo-terminal, or on a pipe.
Result Kbr370(const std::vector<std::string>& args, bool terminal) {
    int reader = -1, writer = -1;
    if (terminal) {
        if (openpty(&reader, &writer, nullptr, nullptr, nullptr) != 0)
            return {};
    } else {
        int fds[2];
        if (pipe(fds) != 0)
            return {};
        reader = fds[0];
        writer = fds[1];
    }
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(writer, 2);
        const std::string exe = TestVBoard::BinDir() + "/kbr370";
        std::vector<char*> argv{const_cast<char*>(exe.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(writer);
    Result r;
    // Drained as it comes, so a full terminal buffer never holds the child up;
    // a terminal whose other end has gone reports EIO rather than an end.
    char buf[4096];
    for (;;) {
        const ssize_t n = read(reader, buf, sizeof buf);
        if (n > 0)
            r.err.append(buf, size_t(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    close(reader);
    int status = 0;
    waitpid(pid, &status, 0);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(CliProgress, TransfersDrawABarOnlyOnATerminal) {
    TestVBoard vboard;
    TempDir files;
    const std::string image = files.File("image.bin");
    std::ofstream(image, std::ios::binary) << std::string(100000, '\x5A');

    for (const char* op : {"write", "read"}) {
        SCOPED_TRACE(op);
        const std::vector<std::string> args =
            op == std::string("write")
                ? std::vector<std::string>{"mem", "write", "sram", "0x0", image}
                : std::vector<std::string>{"mem", "read", "sram", "0x0", "0x186A0", "-o",
                                           files.File("back.hex")};
        Result shown = Kbr370(args, true);
        ASSERT_EQ(shown.code, 0) << shown.err;
        EXPECT_EQ(shown.err.rfind(std::string("\r") + op + " [", 0), 0u) << shown.err;
        EXPECT_NE(shown.err.find("100%"), std::string::npos) << shown.err;
        EXPECT_NE(shown.err.find("MiB/s"), std::string::npos) << shown.err;
        // Wiped before the closing line, so the terminal keeps only that line.
        EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\033[K") << shown.err;

        Result quiet = Kbr370(args, false);
        EXPECT_EQ(quiet.code, 0);
        EXPECT_EQ(quiet.err, "");
    }
}

} // namespace

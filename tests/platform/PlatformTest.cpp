#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/Assert.h"
#include "platform/DynamicLibrary.h"
#include "platform/NamedMutex.h"
#include "platform/System.h"
#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"
#include "tests/support/TestVBoard.h"

TEST(Platform, ProgramDirectoryEndsWithSlashAndHoldsThisTest) {
    std::string dir = platform::ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(platform::FileExists(dir + "kbr_platform_test"));
}

TEST(Platform, NamedMutexIsExclusiveUntilReleased) {
    TempDir tmp;
    setenv("XDG_RUNTIME_DIR", tmp.Path().c_str(), 1);
    platform::NamedMutex first("KBR_TEST_MUTEX");
    ASSERT_TRUE(first.Acquired());
    {
        platform::NamedMutex second("KBR_TEST_MUTEX");
        EXPECT_FALSE(second.Acquired());
    }
    first.Release();
    platform::NamedMutex third("KBR_TEST_MUTEX");
    EXPECT_TRUE(third.Acquired());
}

// Runs `check` in a child acting as another user; its result is the exit status.
int AsOtherUser(const OtherUser& other, const std::function<bool()>& check) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(other.gid) != 0 || setuid(other.uid) != 0)
            _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Without a runtime directory the lock lies in a private folder of the user's
// in /tmp, so one user's copy never blocks another's; a lock that cannot be
// taken is told apart from one that another copy holds.
TEST(Platform, NamedMutexIsPerUserAndSaysWhyItFails) {
    TempDir tmp;
    setenv("XDG_RUNTIME_DIR", tmp.File("gone").c_str(), 1);
    {
        platform::NamedMutex missing("KBR_TEST_MUTEX");
        EXPECT_EQ(missing.GetState(), platform::NamedMutex::State::Failed);
        EXPECT_NE(missing.Error().find(tmp.File("gone")), std::string::npos) << missing.Error();
    }
    unsetenv("XDG_RUNTIME_DIR");
    const std::string name = "KBR_TEST_MUTEX_" + std::to_string(getpid());
    platform::NamedMutex mine(name);
    ASSERT_TRUE(mine.Acquired()) << mine.Error();
    const std::string folder = "/tmp/kbr370-lock-" + std::to_string(geteuid());
    EXPECT_EQ(mine.Path(), folder + "/" + name + ".lock");
    struct stat st {};
    ASSERT_EQ(lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(platform::NamedMutex(name).GetState(), platform::NamedMutex::State::Held);

    auto other = SecondUser();
    if (!other) {
        unlink(mine.Path().c_str());
        GTEST_SKIP() << "another user's copy: only when run as root";
    }
    const std::string theirs = "/tmp/kbr370-lock-" + std::to_string(other->uid);
    std::filesystem::remove_all(theirs);
    EXPECT_EQ(AsOtherUser(*other, [&] { return platform::NamedMutex(name).Acquired(); }), 0)
        << "blocked by another user's copy";
    // A folder in its place that is not the user's own is named, not taken for a copy.
    std::filesystem::remove_all(theirs);
    ASSERT_EQ(mkdir(theirs.c_str(), 0700), 0);
    EXPECT_EQ(AsOtherUser(*other,
                          [&] {
                              platform::NamedMutex refused(name);
                              return refused.GetState() == platform::NamedMutex::State::Failed &&
                                     refused.Error().find(theirs + " belongs to another user") !=
                                         std::string::npos;
                          }),
              0);
    std::filesystem::remove_all(theirs);
    unlink(mine.Path().c_str());
}

TEST(Platform, AssertionNamesItsCondition) {
    try {
        KBR_ASSERT(1 + 1 == 3, "arithmetic");
        FAIL() << "no assertion";
    } catch (const platform::AssertionFailure& e) {
        EXPECT_STREQ(e.what(), "arithmetic");
    }
}

TEST(Platform, DynamicLibraryReportsMissingFilesAndSymbols) {
    platform::DynamicLibrary lib;
    EXPECT_FALSE(lib.Load("/nonexistent/ZOLVANE_NONE.DLL"));
    EXPECT_FALSE(lib.LastError().empty());
    EXPECT_EQ(lib.Symbol("anything"), nullptr);
}

TEST(Platform, CurrentDirectoryRoundTrips) {
    std::string before = platform::CurrentDirectory();
    TempDir tmp;
    ASSERT_TRUE(platform::SetCurrentDirectory(tmp.Path()));
    EXPECT_NE(platform::CurrentDirectory().find("kbr370-test-"), std::string::npos);
    EXPECT_FALSE(platform::SetCurrentDirectory(tmp.Path() + "/missing"));
    ASSERT_TRUE(platform::SetCurrentDirectory(before));
}

TEST(Platform, VBoardDirectoryFollowsTheEnvironment) {
    setenv("KBR370_VBOARD_DIR", "/x/y", 1);
    EXPECT_EQ(platform::VBoardDirectory(), "/x/y");
    unsetenv("KBR370_VBOARD_DIR");
    setenv("XDG_RUNTIME_DIR", "/run/user/7", 1);
    EXPECT_EQ(platform::VBoardDirectory(), "/run/user/7/kbr370-vboard");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(platform::VBoardDirectory(), "/tmp/kbr370-vboard-" + std::to_string(getuid()));
}

TEST(Platform, ControlRequestExchangesOneLine) {
    TempDir tmp;
    std::string path = tmp.File("sock");
    int lfd = platform::ListenUnix(path);
    ASSERT_GE(lfd, 0);
    std::thread server([&] {
        int c = accept(lfd, nullptr, nullptr);
        std::string line;
        if (platform::ReadLine(c, line, 2000)) {
            std::string reply = "ok " + line + "\n";
            platform::SendAll(c, reply.data(), reply.size());
        }
        platform::CloseFd(c);
    });
    std::string reply;
    EXPECT_TRUE(platform::ControlRequest(path, "status", reply, 2000));
    EXPECT_EQ(reply, "ok status");
    server.join();
    platform::CloseFd(lfd);
    EXPECT_FALSE(platform::ControlRequest(tmp.File("none"), "status", reply, 100));
}

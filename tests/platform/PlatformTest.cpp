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
// in /tmp, or in the user's cache folder when another user took that name, so
// one user never blocks another's copy; a lock that cannot be taken is told
// apart from one that another copy holds.
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
    // Another user took the folder's name first: the lock moves to the user's
    // cache folder, private, where a second copy still finds it held. Without
    // a usable home either, the lock fails and says why.
    std::filesystem::remove_all(theirs);
    ASSERT_EQ(mkdir(theirs.c_str(), 0700), 0);
    TempDir home;
    ASSERT_EQ(chown(home.Path().c_str(), other->uid, other->gid), 0);
    const std::string cache = home.File(".cache/kbr370");
    EXPECT_EQ(AsOtherUser(*other,
                          [&] {
                              unsetenv("XDG_CACHE_HOME");
                              setenv("HOME", "/proc/kbr370-no-home", 1);
                              platform::NamedMutex homeless(name);
                              if (homeless.GetState() != platform::NamedMutex::State::Failed ||
                                  homeless.Error().find(theirs + " belongs to another user") ==
                                      std::string::npos)
                                  return false;
                              setenv("HOME", home.Path().c_str(), 1);
                              platform::NamedMutex moved(name);
                              struct stat folder {};
                              return moved.Acquired() &&
                                     moved.Path() == cache + "/" + name + ".lock" &&
                                     lstat(cache.c_str(), &folder) == 0 &&
                                     (folder.st_mode & 07777) == 0700 &&
                                     platform::NamedMutex(name).GetState() ==
                                         platform::NamedMutex::State::Held;
                          }),
              0)
        << "shut out by another user's folder";
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

// A memory dump is one line of hundreds of KiB; the line after it is left for
// the next read, and a line cut short by the peer is no line.
TEST(Platform, ReadLineTakesALongLineWholeAndLeavesTheNextOne) {
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    std::string longLine(300000, 'x');
    for (size_t i = 0; i < longLine.size(); i += 997)
        longLine[i] = char('a' + i % 26);
    std::thread writer([&] {
        const std::string both = longLine + "\nsecond\nunfinished";
        platform::SendAll(fds[1], both.data(), both.size());
        platform::CloseFd(fds[1]);
    });
    std::string line;
    EXPECT_TRUE(platform::ReadLine(fds[0], line, 5000));
    EXPECT_TRUE(line == longLine) << line.size();
    EXPECT_TRUE(platform::ReadLine(fds[0], line, 5000));
    EXPECT_EQ(line, "second");
    EXPECT_FALSE(platform::ReadLine(fds[0], line, 5000));
    writer.join();
    platform::CloseFd(fds[0]);
}

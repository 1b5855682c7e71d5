#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/Assert.h"
#include "platform/DynamicLibrary.h"
#include "platform/Hooks.h"
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

TEST(Platform, HooksCanBeReplacedAndRestored) {
    int beeps = 0;
    std::string shown;
    auto oldBeep = platform::SetBeepHandler([&](unsigned t) { beeps += (t == 0xFFFFFFFF); });
    auto oldBox = platform::SetMessageBoxHandler(
        [&](platform::MessageKind, const std::string& text, const std::string&) { shown = text; });
    platform::MessageBeep(0xFFFFFFFF);
    platform::ShowMessageBox(platform::MessageKind::Error, "boom");
    platform::SetBeepHandler(oldBeep);
    platform::SetMessageBoxHandler(oldBox);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(shown, "boom");
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

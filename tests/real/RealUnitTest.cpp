// Finding Quartus, running its programmer and reading what it printed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "drivers/quartus/ProgramRun.h"
#include "drivers/quartus/QuartusFolder.h"
#include "tests/drivers/DriverTestSupport.h"

namespace {

namespace fs = std::filesystem;
using drivers::ProgramRun;

TEST(QuartusOutput, VersionAndErrorLinesAreFound) {
    EXPECT_DOUBLE_EQ(drivers::ParseQuartusVersion(
                         "Quartus Prime Programmer\nVersion 20.1.1 Build 720 11/11/2020 SJ Lite\n"),
                     20.1);
    EXPECT_DOUBLE_EQ(drivers::ParseQuartusVersion("Version 13.05 Build 1\n"), 13.05);
    EXPECT_DOUBLE_EQ(drivers::ParseQuartusVersion("Version 18\n"), 18.0);
    EXPECT_EQ(drivers::ParseQuartusVersion("Version unknown\nno number here\n"), 0);

    const std::string failed = "Info: Running Quartus Prime Programmer\n"
                               "  Error (213013): Programming hardware cable not detected\r\n"
                               "Error: Quartus Prime Programmer was unsuccessful. 1 error\n\n";
    EXPECT_EQ(drivers::LastErrorLine(failed),
              "Error (213013): Programming hardware cable not detected");
    EXPECT_EQ(drivers::LastErrorLine("Info: x\nError: y\nInfo: z\n"), "Error: y");
    EXPECT_EQ(drivers::LastErrorLine("first\nlast words\n\n"), "last words");
    EXPECT_EQ(drivers::LastErrorLine(""), "");
}

TEST(ProgramRun, ArgumentsPassVerbatimAndTheStatusComesBack) {
    auto run = ProgramRun::Run({"/bin/sh", "-c", "printf '%s|' \"$@\"; echo oops >&2; exit 3", "sh",
                                "a b", "$(x)", "p;f'\""},
                               10000);
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_EQ(run.exitStatus, 3);
    EXPECT_EQ(run.output, "a b|$(x)|p;f'\"|oops\n");
    EXPECT_FALSE(ProgramRun::Run({"/no/such/program"}, 1000).started);
}

// A programmer that hangs is killed at the limit, with what it started: a
// helper that kept the output pipe open would otherwise hold the caller.
TEST(ProgramRun, AHungProgramIsKilledWithItsChildren) {
    const auto start = std::chrono::steady_clock::now();
    auto run = ProgramRun::Run({"/bin/sh", "-c", "sleep 60 & echo started; sleep 60"}, 500);
    EXPECT_TRUE(run.timedOut);
    EXPECT_FALSE(run.Succeeded());
    EXPECT_EQ(run.output, "started\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));

    // A helper left behind by a program that ended does not hold it either.
    run = ProgramRun::Run({"/bin/sh", "-c", "sleep 60 & exit 0"}, 30000);
    EXPECT_TRUE(run.Succeeded());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST(QuartusFolder, RootDirFirstThenTheProgrammerOnPath) {
    TempDir dir;
    fs::create_directories(dir.File("quartus/bin"));
    std::ofstream(dir.File("quartus/bin/quartus_pgm")) << "#!/bin/sh\n";
    fs::permissions(dir.File("quartus/bin/quartus_pgm"), fs::perms::owner_all);
    // Reached through a linked bin folder, the parent is the real one's.
    fs::create_directory_symlink(dir.File("quartus/bin"), dir.File("linked-bin"));

    std::string folder, error;
    {
        ScopedEnv root("QUARTUS_ROOTDIR", dir.File("quartus"));
        ASSERT_TRUE(drivers::QuartusFolder::Find(folder, error));
        EXPECT_EQ(folder, dir.File("quartus"));
    }
    ScopedEnv root("QUARTUS_ROOTDIR", std::nullopt);
    {
        ScopedEnv path("PATH", "::" + dir.Path() + ":" + dir.File("linked-bin"));
        ASSERT_TRUE(drivers::QuartusFolder::Find(folder, error)) << error;
        EXPECT_EQ(fs::path(folder), fs::canonical(dir.File("quartus")));
    }
    ScopedEnv path("PATH", dir.Path());
    EXPECT_FALSE(drivers::QuartusFolder::Find(folder, error));
    EXPECT_EQ(error, "Quartus (or the Quartus Programmer) must be installed: QUARTUS_ROOTDIR is "
                     "not set, and no quartus_pgm was found on PATH");
}

} // namespace

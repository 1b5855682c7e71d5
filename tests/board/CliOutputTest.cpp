// The files kbr370 writes, through every option that names one: what another
// user planted is refused before the board is touched, two reports never
// share a file, a full disk is told file by file, and relative names are
// taken from where the command was started.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/CliRun.h"
#include "tests/support/FileSizeLimit.h"

namespace fs = std::filesystem;

namespace {

// Each command that writes a file, with the file it is to write.
std::vector<std::vector<std::string>> Writers(const std::string& file) {
    return {{"inputs", "--watch", "--vcd", file},
            {"rs232", "receive", "--log", file},
            {"mem", "read", "sram", "0", "16", "-o", file},
            {"selftest", "--only", "sd", "--junit", file}};
}

// The other user's links to our file and our FIFO, their FIFO at our name
// and their 0666 log: each is refused with our own reason (the kernel's link
// and FIFO protections may be off, as on many hosts), at once, and nothing
// of ours is written.
TEST(CliOutput, NothingIsWrittenThroughWhatAnotherUserPlanted) {
    const auto other = SecondUser();
    if (!other)
        GTEST_SKIP() << "another user's links: only when run as root";
    TestVBoard vb;
    TempDir dir;
    const std::string shared = dir.File("shared");
    ASSERT_EQ(mkdir(shared.c_str(), 01777), 0);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    const std::string secret = dir.File("secret"), ourFifo = dir.File("our.fifo");
    WriteFile(secret, "ours");
    ASSERT_EQ(mkfifo(ourFifo.c_str(), 0600), 0);
    const auto planted = [&](const std::string& name) {
        const std::string path = shared + "/" + name;
        EXPECT_EQ(lchown(path.c_str(), other->uid, other->gid), 0);
        return path;
    };
    fs::create_symlink(secret, shared + "/to-file");
    fs::create_symlink(ourFifo, shared + "/to-fifo");
    ASSERT_EQ(mkfifo((shared + "/theirs.fifo").c_str(), 0666), 0);
    WriteFile(shared + "/theirs.log", "theirs");
    ASSERT_EQ(chmod((shared + "/theirs.log").c_str(), 0666), 0);

    vb.CtlOk("log requests");
    CliOptions quick;
    quick.timeoutMs = 10000; // a writer that waits for a FIFO's reader never ends by itself
    std::vector<std::vector<std::string>> runs;
    for (const char* name : {"to-file", "to-fifo", "theirs.fifo"})
        for (const auto& args : Writers(planted(name)))
            runs.push_back(args);
    runs.push_back({"rs232", "receive", "--log", planted("theirs.log")});
    runs.push_back({"selftest", "--html", planted("to-file"), "--junit", dir.File("r.xml")});
    for (const auto& args : runs) {
        const CliResult r = Cli(args, quick);
        EXPECT_EQ(r.code, 2) << args[0] << " " << args.back() << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, "belongs to another user")) << args[0] << ": " << r.err;
    }
    EXPECT_EQ(vb.CtlOk("log requests"), "") << "refused before the board is touched";
    EXPECT_EQ(ReadFile(secret), "ours");
    EXPECT_EQ(ReadFile(shared + "/theirs.log"), "theirs");
    EXPECT_FALSE(fs::exists(dir.File("r.xml")));

    // A read-only file is kept, by each of them.
    ASSERT_EQ(chmod(secret.c_str(), 0444), 0);
    for (const auto& args : Writers(secret)) {
        const CliResult r = Cli(args, quick);
        EXPECT_EQ(r.code, 2) << args[0] << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, "read-only")) << args[0] << ": " << r.err;
    }
    EXPECT_EQ(ReadFile(secret), "ours");
}

// However the one file is spelt, two reports in it would leave one of them.
TEST(CliOutput, TwoReportsNamingOneFileAreBadUsage) {
    TestVBoard vb;
    TempDir dir;
    ASSERT_TRUE(fs::create_directory(dir.File("sub")));
    fs::create_symlink(dir.File("r.xml"), dir.File("link.xml"));
    CliOptions here;
    here.cwd = dir.Path();
    vb.CtlOk("log requests");
    for (const auto& [junit, other] :
         {std::pair{"r.xml", std::vector<std::string>{"--html", "r.xml"}},
          {"r.xml", {"--json", "sub/../r.xml"}},
          {"r.xml", {"--html", "link.xml"}},
          {"-", {"--json", "/dev/stdout"}}}) {
        std::vector<std::string> args{"selftest", "--only", "sd", "--junit", junit};
        args.insert(args.end(), other.begin(), other.end());
        const CliResult r = Cli(args, here);
        EXPECT_EQ(r.code, 2) << other.back() << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, "name the same file")) << r.err;
    }
    EXPECT_EQ(vb.CtlOk("log requests"), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2)
        << "no report, no temporary file";
}

// A disk that fills takes the long report only: it is named with its reason,
// the short ones are still written, and the run says it failed.
TEST(CliOutput, AFullDiskNamesEachReportItCouldNotWrite) {
    TestVBoard vb;
    TempDir dir;
    const std::vector<std::string> args{"selftest",          "--only", "sd",
                                        "--junit",           dir.File("r.xml"),
                                        "--json",            dir.File("r.json"),
                                        "--html",            dir.File("r.html")};
    CliResult r;
    {
        // The HTML report is some 100 kB, the others about one.
        const FileSizeLimit full(16 * 1024);
        r = Cli(args);
    }
    EXPECT_EQ(r.code, 1) << r.out << r.err;
    EXPECT_TRUE(Contains(r.err, "writing " + dir.File("r.html") + " failed: File too large"))
        << r.err;
    EXPECT_TRUE(Contains(r.err, "not every report could be written")) << r.err;
    EXPECT_TRUE(Contains(r.out, "passed  sd: CRC7")) << r.out;
    EXPECT_FALSE(fs::exists(dir.File("r.html")));
    EXPECT_TRUE(Contains(ReadFile(dir.File("r.xml")), "</testsuites>"));
    EXPECT_EQ(nlohmann::json::parse(ReadFile(dir.File("r.json"))).at("completed"), true);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2)
        << "no temporary file left";
}

// Opening the board's link moves the current directory to the program's own:
// every file name given on the command line is taken from where the command
// started, and nothing lands beside the program.
TEST(CliOutput, FileNamesAreTakenFromWhereTheUserStands) {
    TestVBoard vb;
    TempDir cwd;
    CliOptions here;
    here.cwd = cwd.Path();
    const std::string bytes = "0123456789ABCDEF";
    WriteFile(cwd.File("in.bin"), bytes);
    fs::copy_file(TestVBoard::DesignFile(), cwd.File("design.sof"));
    const CliResult configured = Cli({"configure", "design.sof"}, here);
    EXPECT_EQ(configured.code, 0) << configured.err;
    vb.CtlOk("rs232 push 41");

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"mem", "write", "sram", "0", "in.bin"},
          {"mem", "verify", "sram", "0", "in.bin"},
          {"mem", "read", "sram", "0", "16", "-o", "out.bin"},
          {"rs232", "receive", "--seconds", "0.3", "--log", "rx.log"},
          {"selftest", "--only", "sd", "--junit", "r.xml", "--json", "r.json", "--html", "r.html"}}) {
        const CliResult r = Cli(args, here);
        EXPECT_EQ(r.code, 0) << args[0] << ": " << r.err;
    }
    CliRun watch({"inputs", "--watch", "--vcd", "t.vcd"}, here);
    for (int i = 0; i < 1000 && watch.OutputSoFar().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    watch.Signal(SIGINT);
    EXPECT_EQ(watch.Wait().code, 128 + SIGINT);

    EXPECT_EQ(ReadFile(cwd.File("out.bin")), bytes);
    EXPECT_EQ(ReadFile(cwd.File("rx.log")), "A");
    for (const char* name : {"r.xml", "r.json", "r.html", "t.vcd", "out.bin", "rx.log"}) {
        EXPECT_TRUE(fs::is_regular_file(cwd.File(name))) << name;
        EXPECT_FALSE(fs::exists(TestVBoard::BinDir() + "/" + name)) << name;
    }
}

} // namespace

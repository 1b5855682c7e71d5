// The real kbr370-panel as its own process, with some of its files missing.
// The program looks for its libraries and design file next to its executable,
// so each case runs a copy of it in a folder of its own.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/Version.h"
#include "tests/gui/GuiTestSupport.h"

namespace fs = std::filesystem;

namespace {

struct LogLine {
    std::string kind;
    std::string text;
    std::string colour;
};

std::vector<LogLine> ReadLog(const std::string& path) {
    std::vector<LogLine> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream ss(line);
        std::string field;
        while (std::getline(ss, field, '\t'))
            fields.push_back(field);
        fields.resize(4);
        lines.push_back({fields[1], fields[2], fields[3]});
    }
    return lines;
}

std::vector<std::string> Texts(const std::vector<LogLine>& log, const std::string& prefix) {
    std::vector<std::string> texts;
    for (const LogLine& l : log)
        if (l.kind.rfind(prefix, 0) == 0)
            texts.push_back(l.text);
    return texts;
}

const LogLine* LastOf(const std::vector<LogLine>& log, const std::string& kind) {
    for (auto it = log.rbegin(); it != log.rend(); ++it)
        if (it->kind == kind)
            return &*it;
    return nullptr;
}

// A folder with a copy of the panel and links to the files a case keeps.
class PanelFolder {
  public:
    explicit PanelFolder(std::initializer_list<const char*> keep) {
        const std::string bin = TestVBoard::BinDir();
        fs::copy_file(bin + "/kbr370-panel", Dir() + "/kbr370-panel");
        for (const char* name : keep)
            fs::create_symlink(bin + "/" + name, Dir() + "/" + name);
    }
    // The program's directory as the panel sees it.
    std::string Dir() const { return fs::canonical(folder.Path()).string(); }
    std::string Panel() const { return Dir() + "/kbr370-panel"; }

  private:
    TempDir folder;
};

class PanelProcessTest : public GuiTest {
  protected:
    pid_t Launch(const PanelFolder& folder, const std::string& log, bool quit) {
        pid_t pid = fork();
        if (pid == 0) {
            setenv("KBR370_PANEL_TEST_LOG", log.c_str(), 1);
            if (quit)
                setenv("KBR370_PANEL_TEST_QUIT", "1", 1);
            else
                unsetenv("KBR370_PANEL_TEST_QUIT");
            const std::string exe = folder.Panel();
            execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        return pid;
    }

    // Waits for the process to end; -1 when it had to be killed.
    static int Wait(pid_t pid, int timeoutMs) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // Runs one connection sequence and returns the panel's log.
    std::vector<LogLine> RunOnce(const PanelFolder& folder) {
        const std::string log = logDir.File("panel.log");
        EXPECT_EQ(Wait(Launch(folder, log, true), 60000), 0) << "the panel hung or failed";
        return ReadLog(log);
    }

    static void ExpectEndsDisconnected(const std::vector<LogLine>& log) {
        const LogLine* status = LastOf(log, "status");
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->text, "Disconnected");
        EXPECT_EQ(status->colour, "0x0000FF");
        ASSERT_NE(LastOf(log, "done"), nullptr);
    }

    TempDir logDir;
};

TEST_F(PanelProcessTest, MissingDesignFileIsReported) {
    TestVBoard board(false);
    PanelFolder folder({"ZOLVANE_JTAG.DLL", "ZOLVANE_DOWNLOAD.DLL", "kbr370-vboard"});
    const auto log = RunOnce(folder);
    EXPECT_EQ(Texts(log, "box-"),
              std::vector<std::string>{"Can not find the file: KBR_370_ControlPanel.sof"});
    EXPECT_EQ(LastOf(log, "box-error")->text, "Can not find the file: KBR_370_ControlPanel.sof");
    const LogLine* info = LastOf(log, "info");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->text, "Configure FPGA fail");
    EXPECT_EQ(info->colour, "0x0000FF");
    ExpectEndsDisconnected(log);
    EXPECT_NE(board.CtlOk("status").find("configured=0"), std::string::npos);
}

TEST_F(PanelProcessTest, MissingDownloadLibraryIsReported) {
    TestVBoard board(false);
    PanelFolder folder({"ZOLVANE_JTAG.DLL", "KBR_370_ControlPanel.sof", "kbr370-vboard"});
    const auto log = RunOnce(folder);
    const std::vector<std::string> expected = {
        "fail to load dll - " + folder.Dir() + "/ZOLVANE_DOWNLOAD.DLL", "Download tool not found."};
    EXPECT_EQ(Texts(log, "box-error"), expected);
    EXPECT_EQ(Texts(log, "box-").size(), expected.size());
    ExpectEndsDisconnected(log);
}

TEST_F(PanelProcessTest, MissingJtagLibraryIsReported) {
    TestVBoard board(false);
    PanelFolder folder({"ZOLVANE_DOWNLOAD.DLL", "KBR_370_ControlPanel.sof", "kbr370-vboard"});
    const auto log = RunOnce(folder);
    const std::string loadFailure = "fail to load dll - " + folder.Dir() + "/ZOLVANE_JTAG.DLL";
    // The first check stays quiet apart from the library's own box; the
    // download works; the second check reports the failed open as well.
    const std::vector<std::string> expected = {loadFailure, loadFailure,
                                               "Fail to connect FPGA borad."};
    EXPECT_EQ(Texts(log, "box-error"), expected);
    EXPECT_NE(board.CtlOk("status").find("configured=1"), std::string::npos);
    ExpectEndsDisconnected(log);
}

TEST_F(PanelProcessTest, SecondStartLeavesTheFirstAlone) {
    TestVBoard board(true);
    PanelFolder folder(
        {"ZOLVANE_JTAG.DLL", "ZOLVANE_DOWNLOAD.DLL", "KBR_370_ControlPanel.sof", "kbr370-vboard"});
    const std::string firstLog = logDir.File("first.log");
    const pid_t first = Launch(folder, firstLog, false);
    ASSERT_TRUE(WaitFor(
        [&] {
            const auto log = ReadLog(firstLog);
            return LastOf(log, "done") != nullptr;
        },
        30000));
    ASSERT_EQ(LastOf(ReadLog(firstLog), "status")->text, "Connected");
    const size_t firstLines = ReadLog(firstLog).size();

    const std::string secondLog = logDir.File("second.log");
    EXPECT_EQ(Wait(Launch(folder, secondLog, true), 20000), 0);
    const auto second = ReadLog(secondLog);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].kind, "box-information");
    EXPECT_EQ(second[0].text, "The application is running.");

    // The first copy still runs, still connected, and saw nothing of it.
    EXPECT_EQ(waitpid(first, nullptr, WNOHANG), 0);
    EXPECT_EQ(ReadLog(firstLog).size(), firstLines);
    EXPECT_NE(board.CtlOk("status").find("link=open"), std::string::npos);
    kill(first, SIGTERM);
    Wait(first, 10000);
}

// A lock that cannot be taken is no running copy: the box says what is wrong.
TEST_F(PanelProcessTest, LockThatCannotBeTakenIsNamed) {
    PanelFolder folder({});
    const std::string runtime = getenv("XDG_RUNTIME_DIR");
    const std::string notAFolder = logDir.File("runtime");
    std::ofstream(notAFolder) << "a file";
    setenv("XDG_RUNTIME_DIR", notAFolder.c_str(), 1);
    const std::string log = logDir.File("lock.log");
    const int code = Wait(Launch(folder, log, true), 20000);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    EXPECT_EQ(code, 1);
    const auto lines = ReadLog(log);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].kind, "box-error");
    EXPECT_EQ(lines[0].text, "Cannot make sure that only one copy runs: cannot open the lock file " +
                                 notAFolder + "/ZOLVANE_KBR_370_CONTROL_PANEL.lock: Not a directory.");
}

// --version and --help answer on standard output and end, with no display
// to open a window on: Qt would end the program if one were tried.
TEST_F(PanelProcessTest, VersionAndHelpNeedNoDisplay) {
    PanelFolder folder({});
    auto answer = [&](const char* option, std::string& out) {
        int pipeEnds[2];
        EXPECT_EQ(pipe(pipeEnds), 0);
        pid_t pid = fork();
        if (pid == 0) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            close(pipeEnds[0]);
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                unsetenv(name);
            const std::string exe = folder.Panel();
            execl(exe.c_str(), exe.c_str(), option, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        char buffer[4096];
        for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
            out.append(buffer, static_cast<size_t>(n));
        close(pipeEnds[0]);
        return Wait(pid, 20000);
    };
    std::string version, help;
    EXPECT_EQ(answer("--version", version), 0);
    EXPECT_EQ(version, std::string("kbr370-panel ") + kKbrVersion + "\n");
    EXPECT_EQ(answer("--help", help), 0);
    for (const char* part : {"Usage: kbr370-panel", "--version", "KBR370_CABLE", "KBR370_BLASTER",
                             "KBR370_DESIGN", "KBR370_VBOARD_DIR", "QUARTUS_ROOTDIR"})
        EXPECT_TRUE(help.find(part) != std::string::npos) << part << " in\n" << help;
}

} // namespace

#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <csignal>
#include <sys/types.h>

// A real kbr370-vboard process in a private temporary directory, for tests.
// Sets KBR370_VBOARD_DIR for this process, so the drivers loaded by the test
// reach this board and never the user's default one.
class TestVBoard {
public:
    // A configure takes this long on a test's board, unless the test asks for
    // the daemon's own time (std::nullopt).
    static constexpr uint32_t kQuickConfigureMs = 50;

    // Starts the daemon (in the foreground, as a child) and waits for its ctl socket.
    // With `configure` the board is configured with the built design file first.
    explicit TestVBoard(bool configure = true,
                        std::optional<uint32_t> configureMs = kQuickConfigureMs);
    ~TestVBoard();
    TestVBoard(const TestVBoard&) = delete;
    TestVBoard& operator=(const TestVBoard&) = delete;

    // Sends one control command; returns the whole reply line ("ok ..." / "error ...").
    std::string Ctl(const std::string& command) const;
    // Sends one control command and expects "ok"; returns what follows "ok " (may be empty).
    std::string CtlOk(const std::string& command) const;

    void Kill();    // SIGKILL, as a crash would
    void Restart(bool configure = true);
    bool Running() const { return pid > 0; }

    const std::string& Dir() const { return dir; }
    static std::string BinDir();        // where the built programs and libraries lie
    static std::string DesignFile();    // the built KBR_370_ControlPanel.sof

private:
    void Start(bool configure);
    void Stop() { End(SIGTERM); }
    void End(int signal);
    std::string dir;
    std::optional<uint32_t> configureMs;
    pid_t pid = -1;
};

// A fresh temporary directory, removed with its contents at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
};

// An unprivileged account other than ours ("nobody"), for tests of what
// another local user could do. Only root can act for it, so it is given only
// when the suite runs as root (as in CI); such tests skip themselves otherwise.
struct OtherUser {
    uid_t uid;
    gid_t gid;
};
std::optional<OtherUser> SecondUser();

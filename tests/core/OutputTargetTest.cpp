// The rules every file our programs write follows, tried as another local
// user would: links, FIFOs and files planted in a sticky shared folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "core/files/OutputTarget.h"
#include "core/files/ReplacingFile.h"
#include "tests/support/CliRun.h"

namespace fs = std::filesystem;

namespace {

unsigned UmaskMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

// A sticky folder that anyone may write, as /tmp is.
std::string SharedFolder(const TempDir& dir) {
    const std::string shared = dir.File("shared");
    EXPECT_EQ(mkdir(shared.c_str(), 01777), 0);
    EXPECT_EQ(chmod(shared.c_str(), 01777), 0);
    return shared;
}

// A link or a FIFO that the other user planted is refused before anything
// opens it: our file stays as it was, and no open waits for a FIFO's reader
// (the test would hang there).
TEST(OutputTarget, WhatAnotherUserPlantedIsNeverOpened) {
    const auto other = SecondUser();
    if (!other)
        GTEST_SKIP() << "another user's links: only when run as root";
    TempDir dir;
    const std::string shared = SharedFolder(dir);
    const std::string secret = dir.File("secret");
    WriteFile(secret, "ours");
    ASSERT_EQ(chmod(secret.c_str(), 0600), 0);
    const std::string ourFifo = dir.File("our.fifo");
    ASSERT_EQ(mkfifo(ourFifo.c_str(), 0600), 0);
    const auto plant = [&](const std::string& name, const std::string& to) {
        const std::string path = shared + "/" + name;
        if (to.empty())
            EXPECT_EQ(mkfifo(path.c_str(), 0666), 0);
        else
            fs::create_symlink(to, path);
        EXPECT_EQ(lchown(path.c_str(), other->uid, other->gid), 0);
        return path;
    };
    for (const std::string& planted :
         {plant("to-file", secret), plant("to-fifo", ourFifo), plant("to-null", "/dev/null"),
          plant("planted.fifo", "")}) {
        TOutputTarget target;
        std::string reason;
        EXPECT_FALSE(ResolveOutputTarget(planted, target, reason)) << planted;
        EXPECT_NE(reason.find("belongs to another user"), std::string::npos) << reason;
        reason.clear();
        EXPECT_EQ(OpenLogFile(planted, reason), -1) << planted;
        EXPECT_NE(reason.find("belongs to another user"), std::string::npos) << reason;
    }
    EXPECT_EQ(ReadFile(secret), "ours");

    // Our own FIFO, named directly, is written in place, once a reader comes.
    TOutputTarget target;
    std::string reason;
    ASSERT_TRUE(ResolveOutputTarget(ourFifo, target, reason)) << reason;
    EXPECT_TRUE(target.stream);
    std::string got;
    std::thread reader([&] { got = ReadFile(ourFifo); });
    const int fd = OpenOutputStream(ourFifo, target, reason);
    ASSERT_GE(fd, 0) << reason;
    EXPECT_EQ(write(fd, "piped", 5), 5);
    close(fd);
    reader.join();
    EXPECT_EQ(got, "piped");
    // Root's device too, as /dev/null is.
    ASSERT_TRUE(ResolveOutputTarget("/dev/null", target, reason)) << reason;
    const int null = OpenOutputStream("/dev/null", target, reason);
    EXPECT_GE(null, 0) << reason;
    close(null);
}

// A replaced file takes no mode bits from another user or a set-id bit from
// anyone; a read-only file is kept; a log is appended to only when it is ours.
TEST(OutputTarget, ReplacedAndAppendedFilesAreOursAlone) {
    TempDir dir;
    const std::string own = dir.File("own.bin");
    WriteFile(own, "old");
    ASSERT_EQ(chmod(own.c_str(), 04750), 0);
    TReplacingFile file;
    ASSERT_TRUE(file.Create(own)) << file.Error();
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(StatOf(own).st_mode & 07777, 0750u);

    ASSERT_EQ(chmod(own.c_str(), 0444), 0);
    TOutputTarget target;
    std::string reason;
    EXPECT_FALSE(ResolveOutputTarget(own, target, reason));
    EXPECT_NE(reason.find("read-only"), std::string::npos) << reason;
    EXPECT_EQ(OpenLogFile(own, reason), -1);
    EXPECT_NE(reason.find("read-only"), std::string::npos) << reason;
    EXPECT_EQ(ReadFile(own), "new");

    // Our log is appended to; a new one gets the umask's mode.
    ASSERT_EQ(chmod(own.c_str(), 0600), 0);
    int fd = OpenLogFile(own, reason);
    ASSERT_GE(fd, 0) << reason;
    EXPECT_EQ(write(fd, "+log", 4), 4);
    close(fd);
    EXPECT_EQ(ReadFile(own), "new+log");
    fd = OpenLogFile(dir.File("new.log"), reason);
    ASSERT_GE(fd, 0) << reason;
    close(fd);
    EXPECT_EQ(StatOf(dir.File("new.log")).st_mode & 07777, UmaskMode());

    // A descriptor's name appends to that descriptor, not to a file reopened from its start.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    fd = OpenLogFile("/dev/fd/" + std::to_string(ends[1]), reason);
    ASSERT_GE(fd, 0) << reason;
    close(ends[1]);
    EXPECT_EQ(write(fd, "x", 1), 1);
    close(fd);
    char got[4] = {};
    EXPECT_EQ(read(ends[0], got, sizeof got), 1);
    close(ends[0]);

    // Two spellings of one file, and a link of ours to it, are the same output.
    TOutputTarget a, b, c;
    fs::create_directory(dir.File("sub"));
    fs::create_symlink(own, dir.File("link.bin"));
    ASSERT_TRUE(ResolveOutputTarget(own, a, reason));
    ASSERT_TRUE(ResolveOutputTarget(dir.Path() + "/sub/.././own.bin", b, reason));
    ASSERT_TRUE(ResolveOutputTarget(dir.File("link.bin"), c, reason));
    EXPECT_TRUE(SameOutput(a, b));
    EXPECT_TRUE(SameOutput(a, c));
    ASSERT_TRUE(ResolveOutputTarget(dir.File("new.log"), b, reason));
    EXPECT_FALSE(SameOutput(a, b));

    const auto other = SecondUser();
    if (!other)
        GTEST_SKIP() << "another user's files: only when run as root";
    const std::string shared = SharedFolder(dir);
    const std::string theirs = shared + "/report.xml";
    WriteFile(theirs, "theirs");
    ASSERT_EQ(chown(theirs.c_str(), other->uid, other->gid), 0);
    ASSERT_EQ(chmod(theirs.c_str(), 0666), 0);
    ASSERT_TRUE(file.Create(theirs)) << file.Error();
    ASSERT_TRUE(file.Write("ours", 4));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadFile(theirs), "ours");
    EXPECT_EQ(StatOf(theirs).st_uid, geteuid());
    EXPECT_EQ(StatOf(theirs).st_mode & 07777, UmaskMode()) << "not their 0666";

    // For them, our 0666 file there is one the folder does not let them rename
    // over: said before they write anything.
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(theirs.c_str(), 0666), 0);
    const pid_t child = fork();
    if (child == 0) {
        TOutputTarget refused;
        std::string why;
        const bool ok = setgid(other->gid) == 0 && setuid(other->uid) == 0 &&
                        !ResolveOutputTarget(theirs, refused, why) &&
                        why.find("belongs to another user in a shared folder") != std::string::npos;
        _exit(ok ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // A log file they made beforehand would hand them what we log.
    const std::string theirLog = shared + "/rx.log";
    WriteFile(theirLog, "theirs");
    ASSERT_EQ(chown(theirLog.c_str(), other->uid, other->gid), 0);
    ASSERT_EQ(chmod(theirLog.c_str(), 0666), 0);
    EXPECT_EQ(OpenLogFile(theirLog, reason), -1);
    EXPECT_NE(reason.find("refusing to append to " + theirLog + ": the file belongs to another user"),
              std::string::npos)
        << reason;
    EXPECT_EQ(ReadFile(theirLog), "theirs");
}

} // namespace

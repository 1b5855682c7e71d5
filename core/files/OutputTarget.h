#pragma once
#include <string>
#include <string_view>
#include <sys/types.h>

// Where our programs may write a file, decided once for every file any of
// them writes (saved memory, reports, traces, logs), whatever the front end.
// Anyone may plant a link, a FIFO or a file in a sticky shared folder such as
// /tmp, so nothing there is trusted for being there:
// - a symbolic link is followed only when it belongs to us or to root, which
//   is told from the link itself (lstat), before anything follows it;
// - a FIFO or a device is written in place only when it is ours or root's
//   (such as /dev/null); it is checked on a handle that cannot open it (a
//   planted FIFO would hang the writer) and then reopened from that handle,
//   so what is opened is what was checked;
// - a regular file is replaced by a rename, never written through; a
//   read-only one is kept ("keep me"); the new file keeps the old one's
//   permissions only when the old one was ours, and never its set-id bits:
//   another user's mode bits would let them read or write our new file;
// - a log is appended to only when it is a regular file of ours, or a FIFO or
//   device as above; otherwise a new one is created.
struct TOutputTarget {
    std::string path;    // absolute, with our own links resolved
    unsigned mode = 0;   // permission bits for the new file
    bool stream = false; // a FIFO or a device, written in place
    // The file there now, for telling two names of one file apart.
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
};

// The open descriptor a name stands for, or -1: "-" and /dev/stdout are
// standard output, /dev/stderr standard error, /dev/fd/N and /proc/self/fd/N
// the descriptor N. Opening such a name anew would start a redirected file
// at its beginning again, even one opened to append.
int DescriptorNamed(std::string_view name);

// False, with the reason in `reason` (naming `name`), when nothing may be written as `name`.
bool ResolveOutputTarget(const std::string& name, TOutputTarget& target, std::string& reason);

// The stream `target` names, opened for writing (a FIFO waits for its
// reader); -1 with the reason when it is no longer one we may write.
int OpenOutputStream(const std::string& name, const TOutputTarget& target, std::string& reason);

// `name` opened to append to, created (with the umask's mode) when missing;
// a descriptor's name (DescriptorNamed) gives a copy of that descriptor.
// -1 with the reason when the rules above refuse it.
int OpenLogFile(const std::string& name, std::string& reason);

// Whether two targets are one file: the same path, or the same file by two names.
bool SameOutput(const TOutputTarget& a, const TOutputTarget& b);

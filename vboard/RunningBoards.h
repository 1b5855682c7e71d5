#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vboard {

// A virtual board daemon of the current user and the folder it serves, as
// the daemon itself says; `dir` is empty when it did not answer.
struct TRunningBoard {
    int pid = 0;
    std::string dir;
};

// The listening Unix sockets named in the text of /proc/net/unix, by inode.
// A name may hold a line feed, so a line there may be another user's
// invention: an inode can come with several names, and only its process can
// tell which is its own.
std::multimap<uint64_t, std::string> ListeningUnixSockets(const std::string& procNetUnix);

// The inode of a descriptor's link text ("socket:[1234]"); 0 for anything else.
uint64_t SocketInode(const std::string& fdLink);

// The daemons now running for this user, found among the processes rather than
// in a registry of our own, so none that has died is ever listed: each
// kbr370-vboard process of ours and the folder whose ctl socket it listens on,
// taken only when the daemon, asked through that socket, names itself and
// that folder.
std::vector<TRunningBoard> FindRunningBoards(const std::string& proc = "/proc");

// The program name of process `pid` ("" when it cannot be told).
std::string ProgramName(int pid, const std::string& proc = "/proc");

} // namespace vboard

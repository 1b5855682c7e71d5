#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vboard {

// A virtual board daemon of the current user and the folder it serves.
struct TRunningBoard {
    int pid = 0;
    std::string dir;
};

// The listening Unix sockets named in the text of /proc/net/unix, by inode.
std::map<uint64_t, std::string> ListeningUnixSockets(const std::string& procNetUnix);

// The inode of a descriptor's link text ("socket:[1234]"); 0 for anything else.
uint64_t SocketInode(const std::string& fdLink);

// The daemons now running for this user, found among the processes rather than
// in a registry of our own, so none that has died is ever listed: each
// kbr370-vboard process of ours and the folder whose ctl socket it listens on.
std::vector<TRunningBoard> FindRunningBoards(const std::string& proc = "/proc");

// The program name of process `pid` ("" when it cannot be told).
std::string ProgramName(int pid, const std::string& proc = "/proc");

} // namespace vboard

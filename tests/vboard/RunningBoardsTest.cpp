#include <gtest/gtest.h>

#include "vboard/RunningBoards.h"

using vboard::ListeningUnixSockets;
using vboard::SocketInode;

// Only sockets that accept connections and have a name in the file system
// count; a path keeps its blanks.
TEST(RunningBoards, ListeningSocketsFromProcNetUnix) {
    const std::string text =
        "Num       RefCount Protocol Flags    Type St Inode Path\n"
        "0000000037e844fc: 00000002 00000000 00010000 0001 01 4711 /run/user/7/kbr370-vboard/ctl\n"
        "0000000037e844fd: 00000003 00000000 00000000 0001 03 4712 /run/user/7/kbr370-vboard/ctl\n"
        "0000000037e844fe: 00000002 00000000 00010000 0001 01 4713 @/tmp/.X11-unix/X0\n"
        "0000000037e844ff: 00000002 00000000 00010000 0001 01 4714\n"
        "0000000037e84500: 00000002 00000000 00010000 0001 01 4715 /tmp/my boards/b 1/ctl\n"
        "garbage line\n";
    const std::map<uint64_t, std::string> expected = {{4711, "/run/user/7/kbr370-vboard/ctl"},
                                                      {4715, "/tmp/my boards/b 1/ctl"}};
    EXPECT_EQ(ListeningUnixSockets(text), expected);
    EXPECT_TRUE(ListeningUnixSockets("").empty());
}

TEST(RunningBoards, SocketInodeOfADescriptorLink) {
    EXPECT_EQ(SocketInode("socket:[4711]"), 4711u);
    for (const char* other : {"pipe:[4711]", "socket:[]", "socket:[47x1]", "socket:[4711",
                              "/dev/null", "socket:[99999999999999999999999]", ""})
        EXPECT_EQ(SocketInode(other), 0u) << other;
}

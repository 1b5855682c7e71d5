// Connects one TBoard with whatever ZOLVANE_JTAG.DLL lies beside this copy of
// the program and prints what happened, one fact per line.
#include <cstdio>
#include <string>

#include "board/Board.h"
#include "platform/System.h"

int main() {
    TBoard board;
    std::string error;
    const bool connected = board.Connect(error, 0);
    if (!board.LibraryError().empty())
        std::printf("box=%s\n", board.LibraryError().c_str());
    std::printf("connect=%d\nerror=%s\nlink=%s\ncwd=%s\n", connected ? 1 : 0, error.c_str(),
                board.LinkInfo.c_str(), platform::CurrentDirectory().c_str());
    if (connected) {
        std::string name = "unset";
        const bool ok = board.QueryBoardName(name);
        std::printf("query=%d\nname=[%s]\n", ok ? 1 : 0, name.c_str());
    }
    return 0;
}

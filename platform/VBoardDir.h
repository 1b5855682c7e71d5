#pragma once
#include <string>

namespace platform {

// The virtual board's private directory: $KBR370_VBOARD_DIR, else
// $XDG_RUNTIME_DIR/kbr370-vboard, else /tmp/kbr370-vboard-<uid>.
std::string VBoardDirectory();

inline std::string VBoardLinkSocket(const std::string& dir) { return dir + "/link"; }
inline std::string VBoardControlSocket(const std::string& dir) { return dir + "/ctl"; }

// Whether a board directory may be trusted. Under /tmp another user may have
// made it first and serve a board there that would receive our data, so the
// daemon and every client use it only when it is a real directory of ours
// with mode 0700.
enum class VBoardDirState { Missing, Usable, Refused };
// `why` says in one line what is wrong, for Missing and Refused.
VBoardDirState CheckVBoardDirectory(const std::string& dir, std::string& why);

// Whether `path` is a socket that belongs to the current user; `why` otherwise.
bool CheckOwnSocket(const std::string& path, std::string& why);

// Connects to one of the board's sockets in `dir` once both checks pass;
// -1 with `why` set otherwise (also when nothing listens).
int ConnectVBoardSocket(const std::string& dir, const std::string& socketPath, std::string& why);

} // namespace platform

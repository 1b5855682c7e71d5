#pragma once
#include <string>

namespace platform {

// The virtual board's private directory: $KBR370_VBOARD_DIR, else
// $XDG_RUNTIME_DIR/kbr370-vboard, else /tmp/kbr370-vboard-<uid>.
std::string VBoardDirectory();

inline std::string VBoardLinkSocket(const std::string& dir) { return dir + "/link"; }
inline std::string VBoardControlSocket(const std::string& dir) { return dir + "/ctl"; }
// What a daemon of ours keeps beside its sockets; a forwarding has neither.
inline std::string VBoardPidFile(const std::string& dir) { return dir + "/pid"; }
inline std::string VBoardLockFile(const std::string& dir) { return dir + "/lock"; }

// Whether a private directory may be trusted. Under /tmp another user may
// have made it first, to read or hold what we put there, so it is used only
// when it is a real directory of ours with mode 0700. `what` names it in
// `why` ("the board directory"), which says in one line what is wrong, for
// Missing and Refused.
enum class PrivateDirState { Missing, Usable, Refused };
PrivateDirState CheckPrivateDirectory(const std::string& dir, const std::string& what,
                                      std::string& why);

// Makes `dir` with mode 0700 (and its missing parents) when it is missing, or
// takes an existing one that passes the check; never changes another
// directory's mode. `created` tells whether it is ours to remove at the end.
bool MakePrivateDirectory(const std::string& dir, const std::string& what, bool& created,
                          std::string& why);

// The board directory: a private directory whose sockets' paths must also fit
// a socket address. The daemon and every client use it only when it passes.
using VBoardDirState = PrivateDirState;
VBoardDirState CheckVBoardDirectory(const std::string& dir, std::string& why);
inline constexpr const char* kVBoardDirName = "the board directory";

// Whether `path` is a socket that belongs to the current user; `why` otherwise.
bool CheckOwnSocket(const std::string& path, std::string& why);

// Whether some process accepts connections on the socket at `path`; a socket
// file left by a process that has died accepts none.
bool SocketListens(const std::string& path);

// Whether the board's sockets in `dir` are served by a process other than a
// daemon in `dir`, as when `ssh -L` forwards them from another machine: they
// listen, and no daemon has written its pid file beside them. No daemon may
// be started over them: it would replace them.
bool VBoardSocketsForwarded(const std::string& dir);

// Connects to one of the board's sockets in `dir` once both checks pass;
// -1 with `why` set otherwise (also when nothing listens).
int ConnectVBoardSocket(const std::string& dir, const std::string& socketPath, std::string& why);

} // namespace platform

#pragma once
#include <string>

namespace platform {

// The virtual board's private directory: $KBR370_VBOARD_DIR, else
// $XDG_RUNTIME_DIR/kbr370-vboard, else /tmp/kbr370-vboard-<uid>.
std::string VBoardDirectory();

inline std::string VBoardLinkSocket(const std::string& dir) { return dir + "/link"; }
inline std::string VBoardControlSocket(const std::string& dir) { return dir + "/ctl"; }

} // namespace platform

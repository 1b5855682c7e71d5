#pragma once
#include <string>

// Where a save may put its file, decided once for every front end. A saved
// file replaces the one of its name by a rename, so the checks are about
// what that rename would do to someone's file:
// - a symbolic link is followed only when it belongs to us or to root, as the
//   kernel's protected-symlinks rule would: anyone may plant a link in a
//   sticky shared folder such as /tmp, and following it would let them choose
//   which of our files gets replaced;
// - only a regular file is replaced (a device or a pipe cannot be renamed over);
// - a file we may not write in place is not replaced either: read-only says "keep me";
// - the new file takes the old one's permissions, but never its set-id bits:
//   the new file is ours, whoever owned the old one.
struct TOutputTarget {
    std::string path;  // absolute, with our own links resolved
    unsigned mode = 0; // permission bits for the new file
};

// False, with the reason in `reason` (naming `name`), when no file may be saved as `name`.
bool ResolveOutputTarget(const std::string& name, TOutputTarget& target, std::string& reason);

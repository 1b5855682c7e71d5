#pragma once
#include <cstdint>
#include <string>

// Small stand-ins for the operating-system services the program relies on.
namespace platform {

// Directory of the running executable, with its trailing '/'; or the one
// SetProgramDirectory chose.
std::string ProgramDirectory();
// For code loaded into a program of others (the Python module in python3):
// the folder where our libraries and design file lie stands in for the
// executable's from now on. An empty `dir` goes back to the executable's.
void SetProgramDirectory(const std::string& dir);

// Unsigned 32-bit milliseconds from a steady clock; differences wrap correctly.
uint32_t GetTickCount();

// The time now in UTC, as ISO 8601 stamps it: "2026-12-08T21:19:42Z".
std::string UtcTimestamp();

std::string CurrentDirectory();
bool SetCurrentDirectory(const std::string& path);

// Quartus's install directory ($QUARTUS_ROOTDIR), empty when not installed.
std::string QuartusInstallDirectory();

// `path` made absolute against the current directory (lexically, links kept).
std::string AbsolutePath(const std::string& path);

// Makes the paths that the environment hands the programs and their libraries
// ($KBR370_VBOARD_DIR, $QUARTUS_ROOTDIR, $KBR370_DESIGN, $KBR370_PANEL_TEST_LOG)
// absolute. Each program calls it once at start: the current directory changes
// later (to Quartus's bin while the link opens, to "/" in the daemon), and a
// relative path would then lead elsewhere.
void MakePathVariablesAbsolute();

// Whether a file exists (and is a regular file).
bool FileExists(const std::string& path);

// The part of a path after its last '/'.
std::string FileNameOf(const std::string& path);

} // namespace platform

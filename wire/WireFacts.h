#pragma once
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "wire/Memories.h"

// What both ends of the link and both sides of the driver libraries must agree
// on, written once so the compiler holds every side to the same values. Facts
// only: no code, nothing of any one side.
namespace kbr::wire {

// ---- frames -----------------------------------------------------------------
// Both directions: AA, command, u32 length (little-endian), payload,
// 8-bit sum of command+length+payload, 55.
inline constexpr uint8_t kFrameStart = 0xAA;
inline constexpr uint8_t kFrameEnd = 0x55;
inline constexpr size_t kHeaderSize = 6;    // start, command, length
inline constexpr size_t kFrameOverhead = 8; // header, checksum, end
// Largest payload of one frame, either way.
inline constexpr uint32_t kMaxPayload = 32748;

// ---- commands ---------------------------------------------------------------
enum Command : uint8_t {
    CmdQueryBoardName = 0,
    CmdKeepAlive = 1,
    CmdSetLeds = 5,
    CmdReadSwitchesAndKeys = 6,
    CmdSetSeg7 = 7,
    CmdReadSdCardInfo = 9,
    CmdQueryEraseStatus = 10,
    CmdStartErase = 11,
    CmdWriteMemory = 13,
    CmdReadMemory = 14,
    CmdRunLoopbackTest = 24,
    CmdSendDeviceData = 31,
    CmdReadDeviceData = 32,
    CmdSetDeviceMode = 33,
};

// What the board answers to CmdQueryBoardName.
inline constexpr char kBoardName[] = "KBR_370";
// The first bytes of the virtual board's design file, so a programmer for a
// real board can tell that design from a real one.
inline constexpr char kVirtualDesignMagic[8] = {'K', 'B', 'R', 'D', 'S', 'G', 'N', '\x1A'};

// ---- device channels (SetDeviceMode, SendDeviceData, ReadDeviceData) ---------
enum Channel : uint8_t {
    kChannelIr = 0,
    kChannelLcd = 1,
    kChannelVga = 2,
    kChannelRs232 = 3,
    kChannelPs2 = 4,
    kChannelUsb = 5,
};
// Most bytes one device exchange carries.
inline constexpr uint32_t kDeviceChunk = 128;

// ---- the JTAG link library --------------------------------------------------
inline constexpr char kJtagLibrary[] = "ZOLVANE_JTAG.DLL";
inline constexpr char kJtagOpen[] = "ZOLVANE_JtagOpen";
inline constexpr char kJtagClose[] = "ZOLVANE_JtagClose";
inline constexpr char kJtagWrite[] = "ZOLVANE_JtagWrite";
inline constexpr char kJtagRead[] = "ZOLVANE_JtagRead";
inline constexpr char kJtagGetInfo[] = "ZOLVANE_JtagGetInfo";
// The caller reserves this many bytes for the information record; the
// NUL-terminated link text lies at kInfoTextOffset.
inline constexpr size_t kInfoRecordSize = 1024;
inline constexpr size_t kInfoTextOffset = 112;
// Our own library's extra entry point, beside the five: why this thread's last
// open failed. Optional: a library without it leaves the reason unknown.
inline constexpr char kJtagLastFailure[] = "KBR370_JtagLastFailure";
enum class LinkFailure : int32_t {
    None = 0,    // the last open succeeded
    Unknown = 1, // the library cannot tell
    NoBoard = 2, // nothing answers the link: a blank FPGA, or no board
    InUse = 3,   // another program holds the board's one link
    Other = 4,   // anything else, told on standard error by the library
};

// ---- the download library ---------------------------------------------------
inline constexpr char kDownloadLibrary[] = "ZOLVANE_DOWNLOAD.DLL";
// Its entry points in the library's own order; the caller resolves them all.
#define WIRE_DOWNLOAD_ENTRY_POINTS(X)                                                              \
    X(ZOLVANE_DownloadEEPROMByByteBlaster)                                                         \
    X(ZOLVANE_JtagDownloadByteBlaster)                                                             \
    X(ZOLVANE_JtagDownload)                                                                        \
    X(ZOLVANE_JtagDownloadChain)                                                                   \
    X(ZOLVANE_Programming)                                                                         \
    X(ZOLVANE_DownloadNios2)                                                                       \
    X(ZOLVANE_DownloadNios2Ex)                                                                     \
    X(ZOLVANE_FlashProgrammer)                                                                     \
    X(ZOLVANE_AsDownload)                                                                          \
    X(ZOLVANE_AsDownloadPV)                                                                        \
    X(ZOLVANE_IsUsbBlasterDriverReady)                                                             \
    X(ZOLVANE_GetQuatusVersion)                                                                    \
    X(ZOLVANE_SetQuartusProgrammerPath)                                                            \
    X(ZOLVANE_quartus_pgm)                                                                         \
    X(ZOLVANE_Nios2Terminal)                                                                       \
    X(ZOLVANE_KillNios2Terminal)                                                                   \
    X(ZOLVANE_EnableBlasterII)                                                                     \
    X(ZOLVANE_SetUB2Name)                                                                          \
    X(ZOLVANE_Jtagconfig)

#define WIRE_NAME_TEXT(name) #name,
inline constexpr const char* kDownloadEntryNames[] = {WIRE_DOWNLOAD_ENTRY_POINTS(WIRE_NAME_TEXT)};
#undef WIRE_NAME_TEXT
// Where `name` stands in that order; a name not in the list does not compile.
constexpr size_t DownloadEntryIndex(std::string_view name) {
    for (size_t i = 0; i < std::size(kDownloadEntryNames); ++i)
        if (name == kDownloadEntryNames[i])
            return i;
    throw "not an entry point of the download library";
}
inline constexpr size_t kDownloadJtagDownload = DownloadEntryIndex("ZOLVANE_JtagDownload");
inline constexpr size_t kDownloadGetQuatusVersion = DownloadEntryIndex("ZOLVANE_GetQuatusVersion");

// ---- checks for the side that defines the entry points ----------------------
// `fn` must be declared here and spelled exactly as agreed.
#define WIRE_AGREED_ENTRY(fn, agreed)                                                              \
    static_assert(sizeof(&fn) != 0 && std::string_view(#fn) == std::string_view(agreed),           \
                  #fn " is not named as agreed")
// `fn` must be declared here; use with WIRE_DOWNLOAD_ENTRY_POINTS.
#define WIRE_ENTRY_DEFINED(fn) static_assert(sizeof(&fn) != 0);

} // namespace kbr::wire

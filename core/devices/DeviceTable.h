#pragma once
#include <array>
#include <string_view>
#include <vector>

#include "wire/WireFacts.h"

// What each device's self-test checks run in (core/jobs/CheckRun.h).
class TCheckRun;

// Every device of the board, one row each, and the one place its facts are
// written: the channel it is reached on, how often a watcher reads it, the
// words the user reads when it fails, its frame on the board picture and the
// self-test area that checks it. The panel's page table, the skin generator,
// the reports and the self test take them from here; a new device is a row.
namespace kbr::devices {

// A rectangle in the main window's picture, at 1x.
struct TFrameRect {
    int x, y, width, height;
    constexpr bool operator==(const TFrameRect&) const = default;
};

struct TDeviceTexts {
    const char* refused = nullptr; // the board answered, but refused (SD: no card it can read)
    const char* failed = nullptr;  // the exchange failed
    // SD: how to mend a missing card; HSMC: pins that do not loop back;
    // RS232: sending failed.
    const char* more = nullptr;
};

inline constexpr int kNoChannel = -1;
inline constexpr int kNoMemory = -1;

struct TDeviceRow {
    const char* name;  // on the board picture and in the reports: "SDCARD", "LED", ...
    const char* shape; // the panel's frame around it; nullptr: the panel frames it not
    TFrameRect frame;
    bool dotted;       // the panel draws its frame dotted
    int memory;        // for a memory: its index in the memory page, else kNoMemory
    const char* area;  // the self-test area that checks it; nullptr: none
    int channel;       // a wire::Channel, or kNoChannel
    int pollMs;        // the gap between two reads while watched; 0: never polled
    TDeviceTexts texts;
    // The failures as a terminal or a script reads them, where the panel has
    // other words or none: what the device operations answer with.
    TDeviceTexts line = {};
};

// A self-test area and its checks, written beside the operations of the
// device it checks.
struct TArea {
    const char* name;
    void (*check)(TCheckRun& run);
};

// The self-test areas in the order a run takes them; each row names one.
extern const std::array<TArea, 13> kAreas;

// In the order the board is drawn: the SD slot before the LCD, which lies
// partly over it.
inline constexpr std::array<TDeviceRow, 19> kDeviceTable = {{
    {"SDCARD", "ShapeSDCARD", {144, 174, 39, 46}, true, kNoMemory, "sd", kNoChannel, 0,
     {"Failed to access the SDCARD.", "Failed to access SDCARD.",
      "Please make sure a SDCARD is pluged into the KBR-370."}},
    {"LED", "ShapeLed", {159, 244, 292, 12}, false, kNoMemory, "leds", kNoChannel, 0, {},
     {nullptr, "setting the LEDs failed"}},
    {"SEG7", "ShapeSegDisp", {156, 219, 132, 23}, false, kNoMemory, "seg7", kNoChannel, 0, {},
     {nullptr, "setting the 7-segment digits failed"}},
    // The switches and keys are read by a command of their own, not a channel.
    {"SW", "ShapeButtonSw", {155, 255, 205, 22}, false, kNoMemory, "inputs", kNoChannel, 100, {},
     {nullptr, "reading the switches and keys failed"}},
    {"KEY", "ShapeButton", {367, 258, 88, 20}, false, kNoMemory, "inputs", kNoChannel, 100, {}},
    {"SRAM", "ShapeSRAM", {338, 206, 33, 22}, false, 0, "memories", kNoChannel, 0, {}},
    {"EEPROM", "ShapeEEPROM", {366, 118, 15, 15}, true, 1, "memories", kNoChannel, 0, {}},
    {"SDRAM", "ShapeSDRAM", {290, 163, 38, 47}, false, 2, "memories", kNoChannel, 0, {}},
    {"FLASH", "ShapeFLASH", {381, 207, 34, 24}, false, 3, "memories", kNoChannel, 0, {}},
    {"USB", "ShapeUsb", {178, 36, 47, 29}, false, kNoMemory, "usb", wire::kChannelUsb, 100, {},
     {"the board did not report the USB port", "reading the USB port failed"}},
    {"LCD", "ShapeLCD", {164, 161, 118, 42}, false, kNoMemory, "lcd", wire::kChannelLcd, 0,
     {"Failed to set lcd.", "Set LCD Fail"}},
    {"PS2", "ShapePS2", {458, 61, 24, 25}, false, kNoMemory, "ps2", wire::kChannelPs2, 10,
     {"Cannot find a PS/2 mouse. Please plug one."}},
    {"RS232", "ShapeRS232", {414, 28, 53, 39}, false, kNoMemory, "rs232", wire::kChannelRs232,
     100, {"Failed to start RS232", "RS232 receive fail.", "RS232 transmit fail."}},
    {"IR", "ShapeIR", {464, 259, 11, 17}, false, kNoMemory, "ir", wire::kChannelIr, 50,
     {"IR not found"}},
    {"HSMC", "ShapeHSMC", {462, 104, 15, 98}, false, kNoMemory, "hsmc", kNoChannel, 0,
     {nullptr, "Failed to perform HSMC test", "HSMC Loopback Test: NG"}},
    {"VGA", "ShapeVGA", {294, 28, 61, 39}, false, kNoMemory, "vga", wire::kChannelVga, 0,
     {"Set VGA Failed"}, {"the board refused the VGA pattern", "setting the VGA pattern failed"}},
    {"AUDIO", "ShapeAudio", {225, 33, 53, 35}, false, kNoMemory, nullptr, kNoChannel, 0, {}},
    {"GPIO", "ShapeGpio", {426, 105, 20, 91}, false, kNoMemory, nullptr, kNoChannel, 0, {}},
    // The download cable's port on the board's left edge: the board's link.
    {"BLASTER", nullptr, {140, 76, 18, 18}, false, kNoMemory, "link", kNoChannel, 0, {}},
}};

// The row of the device named `name`; a name no row has does not compile
// where a constant is asked for.
constexpr const TDeviceRow& DeviceRow(std::string_view name) {
    for (const TDeviceRow& row : kDeviceTable)
        if (name == row.name)
            return row;
    throw "no such device";
}

// The names of the devices an area checks, in table order.
std::vector<const char*> AreaDevices(std::string_view area);

} // namespace kbr::devices

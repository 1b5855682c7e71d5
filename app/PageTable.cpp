#include "app/PageTable.h"

#include <utility>

#include "core/devices/DeviceTable.h"
#include "pages/FormButton.h"
#include "pages/FormHSMC.h"
#include "pages/FormIR.h"
#include "pages/FormLCD.h"
#include "pages/FormLED.h"
#include "pages/FormMemory.h"
#include "pages/FormPS2.h"
#include "pages/FormRS232.h"
#include "pages/FormSDCARD.h"
#include "pages/FormSeg7.h"
#include "pages/FormUSB.h"
#include "pages/FormVGA.h"

namespace {
template <typename T> TPage* Make(QWidget* parent) {
    return new T(parent);
}
} // namespace

const std::array<PageFactory, kPageCount> kPageFactories = {
    Make<TFormLED>,   Make<TFormSeg7>,   Make<TFormButton>, Make<TFormMemory>,
    Make<TFormUSB>,   Make<TFormSDCARD>, Make<TFormLCD>,    Make<TFormPS2>,
    Make<TFormRS232>, Make<TFormIR>,     Make<TFormHSMC>,   Make<TFormVGA>,
};

namespace {

// Two columns of six, 37 pixels apart; added in this order.
constexpr std::array<TabButtonInfo, kPageCount> TabsInColumns(
    std::array<std::pair<int, const char*>, kPageCount> tabs) {
    std::array<TabButtonInfo, kPageCount> placed{};
    for (int i = 0; i < kPageCount; ++i)
        placed[i] = {tabs[i].first, tabs[i].second, i < 6 ? 29 : 114, 289 + 37 * (i % 6)};
    return placed;
}

} // namespace

const std::array<TabButtonInfo, kPageCount> kTabButtons = TabsInColumns({{
    {PAGE_LED, "LED"}, {PAGE_SEG7, "7-SEG"}, {PAGE_BUTTON, "Switches"}, {PAGE_MEMORY, "Memory"},
    {PAGE_USB, "USB"}, {PAGE_SDCARD, "SD Card"}, {PAGE_LCD, "LCD"}, {PAGE_PS2, "PS/2"},
    {PAGE_RS232, "RS232"}, {PAGE_VGA, "VGA"}, {PAGE_HSMC, "HSMC"}, {PAGE_IR, "IR"},
}});

const std::array<SystemButtonInfo, 4> kSystemButtons = {{
    {BTN_CLOSE, "CLOSE_BTN", 559, 19},
    {BTN_MINI, "MINI_BTN", 520, 19},
    {BTN_ABOUT, "ABOUT_BTN", 481, 19},
    {BTN_CONNECT, "CONNECT_BTN", 135, 509},
}};

namespace {

// The page that shows each framed device, in the order the window adds the
// frames; where they lie comes from the device table.
constexpr std::array<std::pair<const char*, int>, kFrameCount> kFramePages = {{
    {"LED", PAGE_LED},       {"SEG7", PAGE_SEG7},   {"SW", PAGE_BUTTON},   {"KEY", PAGE_BUTTON},
    {"SRAM", PAGE_MEMORY},   {"EEPROM", PAGE_MEMORY}, {"SDRAM", PAGE_MEMORY}, {"FLASH", PAGE_MEMORY},
    {"USB", PAGE_USB},       {"SDCARD", PAGE_SDCARD}, {"LCD", PAGE_LCD},    {"PS2", PAGE_PS2},
    {"RS232", PAGE_RS232},   {"IR", PAGE_IR},       {"HSMC", PAGE_HSMC},   {"VGA", PAGE_VGA},
    {"AUDIO", PAGE_AUDIO},   {"GPIO", PAGE_GPIO},
}};

} // namespace

const std::array<DeviceFrame, kFrameCount> kDeviceFrames = [] {
    std::array<DeviceFrame, kFrameCount> frames{};
    for (int i = 0; i < kFrameCount; ++i) {
        const kbr::devices::TDeviceRow& row = kbr::devices::DeviceRow(kFramePages[i].first);
        const QRect rect(row.frame.x, row.frame.y, row.frame.width, row.frame.height);
        frames[i] = {row.shape, rect, row.dotted, kFramePages[i].second, row.memory};
    }
    return frames;
}();

bool FrameShownFor(const DeviceFrame& frame, int kind, int memory) {
    if (frame.kind != kind)
        return false;
    return frame.memory < 0 || frame.memory == memory;
}

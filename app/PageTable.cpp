#include "app/PageTable.h"

#include <utility>

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

const std::array<DeviceFrame, kFrameCount> kDeviceFrames = {{
    {"ShapeLed", {159, 244, 292, 12}, false, PAGE_LED, -1},
    {"ShapeSegDisp", {156, 219, 132, 23}, false, PAGE_SEG7, -1},
    {"ShapeButtonSw", {155, 255, 205, 22}, false, PAGE_BUTTON, -1},
    {"ShapeButton", {367, 258, 88, 20}, false, PAGE_BUTTON, -1},
    {"ShapeSRAM", {338, 206, 33, 22}, false, PAGE_MEMORY, 0},
    {"ShapeEEPROM", {366, 118, 15, 15}, true, PAGE_MEMORY, 1},
    {"ShapeSDRAM", {290, 163, 38, 47}, false, PAGE_MEMORY, 2},
    {"ShapeFLASH", {381, 207, 34, 24}, false, PAGE_MEMORY, 3},
    {"ShapeUsb", {178, 36, 47, 29}, false, PAGE_USB, -1},
    {"ShapeSDCARD", {144, 174, 39, 46}, true, PAGE_SDCARD, -1},
    {"ShapeLCD", {164, 161, 118, 42}, false, PAGE_LCD, -1},
    {"ShapePS2", {458, 61, 24, 25}, false, PAGE_PS2, -1},
    {"ShapeRS232", {414, 28, 53, 39}, false, PAGE_RS232, -1},
    {"ShapeIR", {464, 259, 11, 17}, false, PAGE_IR, -1},
    {"ShapeHSMC", {462, 104, 15, 98}, false, PAGE_HSMC, -1},
    {"ShapeVGA", {294, 28, 61, 39}, false, PAGE_VGA, -1},
    {"ShapeAudio", {225, 33, 53, 35}, false, PAGE_AUDIO, -1},
    {"ShapeGpio", {426, 105, 20, 91}, false, PAGE_GPIO, -1},
}};

bool FrameShownFor(const DeviceFrame& frame, int kind, int memory) {
    if (frame.kind != kind)
        return false;
    return frame.memory < 0 || frame.memory == memory;
}

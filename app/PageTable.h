#pragma once
#include <QRect>
#include <array>
#include <cstdint>

class QWidget;
class TPage;

// The number of a page, which is also the id of its tab button.
// Kinds 0 to 11 have a page; the others only a frame, or none.
enum PageKind : int {
    PAGE_LED, PAGE_SEG7, PAGE_BUTTON, PAGE_MEMORY, PAGE_USB, PAGE_SDCARD,
    PAGE_LCD, PAGE_PS2, PAGE_RS232, PAGE_IR, PAGE_HSMC, PAGE_VGA,
    PAGE_AUDIO = 13, PAGE_WELCOME = 14, PAGE_GPIO = 19,
};

// Slots of the page table: kinds 0 to 11.
constexpr int kPageCount = 12;

// Makes the page of a slot, as a child of `parent`.
using PageFactory = TPage* (*)(QWidget* parent);
extern const std::array<PageFactory, kPageCount> kPageFactories;

struct TabButtonInfo {
    int id;
    const char* caption;
    int x, y;
};
extern const std::array<TabButtonInfo, kPageCount> kTabButtons;

// System buttons of the main window.
enum SystemButton : int { BTN_CLOSE = 15, BTN_ABOUT = 16, BTN_MINI = 17, BTN_CONNECT = 18 };
struct SystemButtonInfo {
    int id;
    const char* bitmap;
    int x, y;
};
extern const std::array<SystemButtonInfo, 4> kSystemButtons;

// Frames around the devices on the board picture.
struct DeviceFrame {
    const char* name;
    QRect rect;
    bool dotted;
    int kind;   // the page kind that shows it
    int memory; // for the memory page: the selected memory, else -1
};
constexpr int kFrameCount = 18;
extern const std::array<DeviceFrame, kFrameCount> kDeviceFrames;

// Whether frame `frame` belongs to page `kind` with memory `memory` selected.
bool FrameShownFor(const DeviceFrame& frame, int kind, int memory);

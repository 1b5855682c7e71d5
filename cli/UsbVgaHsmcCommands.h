#pragma once

namespace CLI {
class App;
}

// kbr370 usb | vga <pattern> | hsmc: what the USB, VGA and HSMC pages do.
void AddUsbVgaHsmcCommands(CLI::App& app);

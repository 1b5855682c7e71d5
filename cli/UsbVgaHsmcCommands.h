#pragma once

namespace CLI {
class App;
}
class THost;

// kbr370 usb | vga <pattern> | hsmc: what the USB, VGA and HSMC pages do.
void AddUsbVgaHsmcCommands(CLI::App& app, THost& host);

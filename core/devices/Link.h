#pragma once

class TCheckRun;

// The board's link (the download cable's JTAG UART), as the self test checks
// it: the board's name, keep-alives, a memory round trip and the read rate.
namespace kbr::devices {

void CheckLink(TCheckRun& run);

} // namespace kbr::devices

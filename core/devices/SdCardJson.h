#pragma once
#include <nlohmann/json.hpp>

#include "core/devices/SdCard.h"

namespace kbr::devices {

// The card's registers decoded, each with its bytes in hex, and the file
// system, as `kbr370 sd --json` prints them and the Python module returns
// them. The field names are kept stable: scripts rely on them, and the man
// page lists them. A field the card leaves out (0) is null.
nlohmann::json SdCardJson(const TSdCard& card);

} // namespace kbr::devices

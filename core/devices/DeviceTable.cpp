#include "core/devices/DeviceTable.h"

namespace kbr::devices {

std::vector<const char*> AreaDevices(std::string_view area) {
    std::vector<const char*> names;
    for (const TDeviceRow& row : kDeviceTable)
        if (row.area && area == row.area)
            names.push_back(row.name);
    return names;
}

} // namespace kbr::devices

#include "drivers/jtag/LinkTable.h"

namespace drivers {

uint32_t LinkTable::Add(std::shared_ptr<Cable> cable) {
    std::lock_guard lock(mutex);
    // After four thousand million opens the numbers wrap; skip 0 (failure)
    // and any that is still in use.
    while (next == 0 || links.count(next))
        ++next;
    uint32_t handle = next++;
    links.emplace(handle, std::move(cable));
    return handle;
}

std::shared_ptr<Cable> LinkTable::Find(uint32_t handle) const {
    std::lock_guard lock(mutex);
    auto it = links.find(handle);
    return it == links.end() ? nullptr : it->second;
}

std::shared_ptr<Cable> LinkTable::Remove(uint32_t handle) {
    std::lock_guard lock(mutex);
    auto it = links.find(handle);
    if (it == links.end())
        return nullptr;
    auto cable = std::move(it->second);
    links.erase(it);
    return cable;
}

} // namespace drivers

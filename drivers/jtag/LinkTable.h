#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "drivers/jtag/Cable.h"

namespace drivers {

// The open links by handle. Handles are small non-zero numbers that are not
// handed out twice, so a stale handle finds nothing instead of someone
// else's link.
class LinkTable {
public:
    uint32_t Add(std::shared_ptr<Cable> cable);
    // Nothing for an unknown handle. The link stays alive for the caller even
    // when another thread closes the handle meanwhile.
    std::shared_ptr<Cable> Find(uint32_t handle) const;
    std::shared_ptr<Cable> Remove(uint32_t handle);

private:
    mutable std::mutex mutex;
    std::map<uint32_t, std::shared_ptr<Cable>> links;
    uint32_t next = 1;
};

} // namespace drivers

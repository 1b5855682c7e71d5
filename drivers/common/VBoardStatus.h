#pragma once
#include <optional>
#include <string>

namespace drivers {

// What the virtual board's `status` command reports.
struct VBoardStatus {
    bool configured = false;
    bool linkOpen = false;

    // Parses "ok configured=0|1 link=open|closed" (the pairs in any order, unknown
    // pairs ignored); nothing when the reply is an error or lacks either value.
    static std::optional<VBoardStatus> Parse(const std::string& reply);
};

} // namespace drivers

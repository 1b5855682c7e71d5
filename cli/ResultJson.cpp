#include "cli/ResultJson.h"

#include <fmt/format.h>

#include "platform/ChosenCable.h"

namespace {

using kbr::devices::kKeyCount;
using kbr::devices::kSwitchCount;

} // namespace

std::string ChosenCableName() {
    const std::string cable = platform::ChosenCable();
    const std::string blaster =
        cable == platform::kBlasterCable ? platform::ChosenBlaster({}) : std::string();
    return blaster.empty() ? cable : cable + ": " + blaster;
}

nlohmann::json InputsJson(uint32_t value) {
    nlohmann::json keys = nlohmann::json::array(), switches = nlohmann::json::array();
    for (int i = 0; i < kKeyCount; ++i)
        keys.push_back((value >> i) & 1);
    for (int i = 0; i < kSwitchCount; ++i)
        switches.push_back((value >> (kKeyCount + i)) & 1);
    return {{"value", value},
            {"hex", fmt::format("0x{:08X}", value)},
            {"keys", std::move(keys)},
            {"switches", std::move(switches)}};
}

std::vector<std::string> InputNames() {
    std::vector<std::string> names;
    for (int i = 0; i < kKeyCount; ++i)
        names.push_back(fmt::format("key{}", i));
    for (int i = 0; i < kSwitchCount; ++i)
        names.push_back(fmt::format("sw{}", i));
    return names;
}

#include "cli/ResultJson.h"

#include <fmt/format.h>

#include "platform/ChosenCable.h"

namespace {

using kbr::devices::kKeyCount;
using kbr::devices::kSwitchCount;

// The 16 bytes of a register as 32 hex digits, most significant first.
std::string RegisterHex(const std::array<uint8_t, 16>& bytes) {
    std::string hex;
    for (const uint8_t b : bytes)
        hex += fmt::format("{:02X}", b);
    return hex;
}

// A field the card leaves out (0) is null.
nlohmann::json Given(uint64_t value) {
    return value == 0 ? nlohmann::json() : nlohmann::json(value);
}

} // namespace

nlohmann::json SdJson(const kbr::devices::TSdCard& card) {
    const TSdCid& cid = card.cid;
    const TSdCsd& csd = card.csd;
    const std::string& fileSystem = card.fileSystem;
    return {{"cid",
             {{"manufacturer_id", cid.manufacturerId},
              {"oem_id", cid.oemId},
              {"product_name", cid.productName},
              {"product_revision", cid.revision},
              {"serial_number", cid.serial},
              {"date_code", cid.dateCode},
              {"hex", RegisterHex(card.cidBytes)}}},
            {"csd",
             {{"version", Given(csd.version)},
              {"read_access_time_ns", Given(csd.accessTimeNs)},
              {"nsac", csd.nsac},
              {"max_transfer_rate_kbit_s", Given(csd.maxRateKbits)},
              {"max_read_block_length", Given(csd.readBlockLength)},
              {"capacity_mb", Given(csd.capacityMb)},
              {"hex", RegisterHex(card.csdBytes)}}},
            {"file_system", fileSystem == "NA" ? nlohmann::json() : nlohmann::json(fileSystem)},
            {"file_system_code", card.fileSystemCode}};
}

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

#include "core/devices/SdCardJson.h"

#include <fmt/format.h>

namespace kbr::devices {

namespace {

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

nlohmann::json SdCardJson(const TSdCard& card) {
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

} // namespace kbr::devices

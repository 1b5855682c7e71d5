#include "core/devices/SdCard.h"

#include <algorithm>
#include <tuple>

#include "board/Board.h"
#include "core/devices/Devices.h"
#include "core/devices/MemoryModel.h"
#include "core/devices/SdRegisterCrc.h"
#include "core/jobs/CheckRun.h"

namespace kbr::devices {

TDeviceValue<TSdCard> ReadSdCard(TBoardConnection& connection) {
    TBoard::TSdCardRegisters registers{};
    // A terminal line holds both sentences of the panel's two-line box.
    TDeviceResult result = RunExchange(connection, kSdCard.failed,
                                       std::string(kSdCard.missing) + " " + kSdCard.plugHint,
                                       [&registers](TBoard& b, bool& done) {
                                           return b.ReadSdCardRegisters(done, registers);
                                       });
    if (!result.Ok())
        return result;
    TSdCard card;
    std::copy(std::begin(registers.cid), std::end(registers.cid), card.cidBytes.begin());
    std::copy(std::begin(registers.csd), std::end(registers.csd), card.csdBytes.begin());
    card.fileSystemCode = registers.fileSystem;
    card.cid = DecodeCid(registers.cid);
    card.csd = DecodeCsd(registers.csd);
    card.fileSystem = FileSystemName(registers.fileSystem);
    card.cidText = CidText(registers.cid);
    card.csdText = CsdText(registers.csd);
    return {std::move(result), std::move(card)};
}

void CheckSdCard(TCheckRun& run) {
    using TResult = TCheckResult::Result;
    TBoard::TSdCardRegisters registers{};
    const uint8_t* csd = registers.csd;
    const uint8_t* cid = registers.cid;
    bool done = false;
    run.Check("sd", "registers", [&](TCheckResult& r) {
        if (!run.Answered(run.Board().ReadSdCardRegisters(done, registers), r, kSdCard.failed))
            return;
        if (!done) {
            r.result = TResult::Failed;
            r.message = std::string(kSdCard.missing) + " " + kSdCard.plugHint;
            return;
        }
        const TSdCsd decoded = DecodeCsd(csd);
        const std::string product = DecodeCid(cid).productName;
        const std::string fileSystem = FileSystemName(registers.fileSystem);
        r.details = {{"capacity_mb", std::to_string(decoded.capacityMb)},
                     {"csd_version", std::to_string(decoded.version)},
                     {"file_system", fileSystem},
                     {"product", product}};
        r.message = FormatText("card %s, version %d, %llu MB, %s", product.c_str(), decoded.version,
                               (unsigned long long)decoded.capacityMb, fileSystem.c_str());
        if (decoded.version == 0 || decoded.capacityMb == 0) {
            r.result = TResult::Failed;
            r.message = "the card's CSD tells no capacity a card can have: " + r.message;
        }
    });
    if (!done)
        return;
    run.Check("sd", "CRC7", [&](TCheckResult& r) {
        std::vector<std::string> bad;
        for (const auto& [name, key, reg] :
             {std::tuple{"CID", "cid_crc7", cid}, std::tuple{"CSD", "csd_crc7", csd}}) {
            const uint8_t stored = StoredSdCrc7(reg), computed = SdCrc7(reg, 15);
            r.details.emplace_back(key, FormatText("0x%02X", stored));
            if (stored != computed) {
                bad.push_back(
                    FormatText("%s CRC7 is 0x%02X, its bytes give 0x%02X", name, stored, computed));
                r.failures.push_back({{"register", name},
                                      {"stored", FormatText("0x%02X", stored)},
                                      {"computed", FormatText("0x%02X", computed)}});
            }
        }
        r.message = "CID and CSD CRC7 match their bytes";
        if (!bad.empty()) {
            r.result = TResult::Failed;
            r.message = bad.front() + (bad.size() > 1 ? "; " + bad.back() : std::string());
        }
    });
}

} // namespace kbr::devices

#include "core/devices/SdCard.h"

#include <algorithm>

#include "board/Board.h"
#include "core/devices/Devices.h"

namespace kbr::devices {

TDeviceValue<TSdCard> ReadSdCard(TBoardConnection& connection) {
    TBoard::TSdCardRegisters registers{};
    TDeviceResult result =
        RunExchange(connection, DeviceRow("SDCARD"), [&registers](TBoard& b, bool& done) {
            return b.ReadSdCardRegisters(done, registers);
        });
    // A terminal line holds both sentences of the panel's two-line box.
    if (result.outcome == TOutcome::Refused)
        result.reason = std::string(kSdCard.missing) + " " + kSdCard.plugHint;
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

} // namespace kbr::devices

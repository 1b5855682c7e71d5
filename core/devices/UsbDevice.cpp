#include "core/devices/UsbDevice.h"

#include "core/BoardConnection.h"
#include "core/DeviceWatch.h"

#include "wire/UsbKinds.h"
#include "core/devices/Devices.h"
#include "core/jobs/CheckRun.h"

namespace {

// Indexed by the kind: the page's name.
constexpr const char* kKindNames[] = {"", "USB Mouse", "USB Storage", "USB Device"};

} // namespace

bool IsKnownUsbKind(int kind) {
    return kind >= kUsbNone && kind <= kUsbOther;
}

std::string UsbDeviceName(int kind) {
    return IsKnownUsbKind(kind) ? kKindNames[kind] : "";
}

std::string UsbPortText(int kind) {
    return "\r\n" + UsbDeviceName(kind);
}

std::string UsbKindWord(int kind) {
    return IsKnownUsbKind(kind) ? kbr::wire::kUsbKindWords[kind] : "kind " + std::to_string(kind);
}

namespace kbr::devices {

TDeviceValue<int> ReadUsbDevice(TBoardConnection& connection) {
    const TDeviceRow& row = DeviceRow("USB");
    TDeviceWatch::TReading reading;
    if (!connection.Exchange(
            [&](TBoard& b) {
                reading = TDeviceWatch::Read(b, static_cast<uint8_t>(row.channel));
                return reading.outcome != TDeviceWatch::TOutcome::LinkFailed;
            },
            FailedText(row)))
        return TDeviceResult::LinkFailed(FailedText(row));
    if (reading.count == 0)
        return TDeviceResult::Refused(RefusedText(row));
    return {TDeviceResult::Done(), reading.data[0]};
}

void CheckUsb(TCheckRun& run) {
    run.Check("usb", "port", [&](TCheckResult& r) {
        const TDeviceWatch::TReading reading = TDeviceWatch::Read(run.Board(), kUsb.channel);
        if (!run.Answered(reading.outcome != TDeviceWatch::TOutcome::LinkFailed, r,
                          "reading the USB port failed"))
            return;
        const uint8_t* data = reading.data.data();
        if (reading.count == 0) {
            r.result = TCheckResult::Result::Failed;
            r.message = "the board did not report the USB port";
            return;
        }
        r.details = {{"device", UsbKindWord(data[0])}};
        r.message = "the port answers; device: " + UsbKindWord(data[0]);
    });
}

} // namespace kbr::devices

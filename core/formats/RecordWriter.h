#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/formats/ContentEncoder.h"
#include "core/formats/RecordLines.h"

// What the record writers (Intel HEX, S-records) share: the bytes to come
// gathered into data records of at most kRecordDataBytes.
class TRecordWriter : public TContentEncoder {
  protected:
    explicit TRecordWriter(uint64_t address) : next(address) {}

    // Takes one byte into the pending record; true when that record is full.
    bool Take(uint8_t byte) {
        pending += static_cast<char>(byte);
        ++next;
        return pending.size() == kRecordDataBytes;
    }
    // The address of the first pending byte.
    uint64_t PendingAddress() const { return next - pending.size(); }
    const uint8_t* PendingBytes() const { return reinterpret_cast<const uint8_t*>(pending.data()); }

    uint64_t next;       // the address of the next byte to come
    std::string pending; // bytes of the record not yet written
};

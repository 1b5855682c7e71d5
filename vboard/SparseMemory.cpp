#include "vboard/SparseMemory.h"

#include <algorithm>
#include <cstring>

namespace vboard {

TSparseMemory::TSparseMemory(uint64_t size, uint8_t fill) : size(size), fill(fill) {}

bool TSparseMemory::Contains(uint64_t address, uint64_t count) const {
    return address <= size && count <= size - address;
}

TSparseMemory::Page& TSparseMemory::Touch(uint64_t pageIndex) {
    auto& slot = pages[pageIndex];
    if (!slot) {
        slot = std::make_unique<Page>();
        slot->fill(fill);
    }
    return *slot;
}

// Calls op(pageIndex, offsetInPage, positionInCaller, pieceLength) for each page piece.
template <class Op> void TSparseMemory::ForEachPiece(uint64_t address, size_t count, Op op) {
    size_t done = 0;
    while (done < count) {
        uint64_t at = address + done;
        uint64_t index = at / kPageSize;
        size_t offset = size_t(at % kPageSize);
        size_t piece = std::min<size_t>(kPageSize - offset, count - done);
        op(index, offset, done, piece);
        done += piece;
    }
}

void TSparseMemory::Read(uint64_t address, uint8_t* out, size_t count) const {
    const_cast<TSparseMemory*>(this)->ForEachPiece(
        address, count, [&](uint64_t index, size_t offset, size_t pos, size_t piece) {
            auto it = pages.find(index);
            if (it == pages.end())
                std::memset(out + pos, fill, piece);
            else
                std::memcpy(out + pos, it->second->data() + offset, piece);
        });
}

void TSparseMemory::Write(uint64_t address, const uint8_t* data, size_t count) {
    ForEachPiece(address, count, [&](uint64_t index, size_t offset, size_t pos, size_t piece) {
        std::memcpy(Touch(index).data() + offset, data + pos, piece);
    });
}

void TSparseMemory::AndWrite(uint64_t address, const uint8_t* data, size_t count) {
    ForEachPiece(address, count, [&](uint64_t index, size_t offset, size_t pos, size_t piece) {
        uint8_t* cell = Touch(index).data() + offset;
        for (size_t i = 0; i < piece; ++i)
            cell[i] &= data[pos + i];
    });
}

void TSparseMemory::Erase(uint64_t address, uint64_t count) {
    uint64_t endAddress = address + count;
    while (address < endAddress) {
        uint64_t index = address / kPageSize;
        size_t offset = size_t(address % kPageSize);
        size_t piece = size_t(std::min<uint64_t>(kPageSize - offset, endAddress - address));
        if (piece == kPageSize) {
            pages.erase(index);
        } else if (auto it = pages.find(index); it != pages.end()) {
            std::memset(it->second->data() + offset, fill, piece);
        }
        address += piece;
    }
}

void TSparseMemory::AddStuckBit(uint64_t address, int bit, bool value) {
    TStuck& cell = stuck[address];
    const auto bitMask = uint8_t(1u << bit);
    cell.mask |= bitMask;
    cell.value = uint8_t(value ? cell.value | bitMask : cell.value & ~bitMask);
}

void TSparseMemory::AddAliasedAddressBit(int bit) {
    aliasMask |= uint64_t{1} << bit;
}

void TSparseMemory::ClearDefects() {
    aliasMask = 0;
    stuck.clear();
}

void TSparseMemory::ReadWired(uint64_t address, uint8_t* out, size_t count) const {
    if (aliasMask == 0) {
        Read(address, out, count);
        for (auto it = stuck.lower_bound(address); it != stuck.end() && it->first < address + count;
             ++it) {
            uint8_t& b = out[it->first - address];
            b = uint8_t((b & ~it->second.mask) | it->second.value);
        }
        return;
    }
    // A stuck address line breaks the range up: every byte finds its own cell.
    for (size_t i = 0; i < count; ++i) {
        const uint64_t cell = (address + i) & ~aliasMask;
        Read(cell, out + i, 1);
        if (auto it = stuck.find(cell); it != stuck.end())
            out[i] = uint8_t((out[i] & ~it->second.mask) | it->second.value);
    }
}

void TSparseMemory::WriteWired(uint64_t address, const uint8_t* data, size_t count, bool andWrite) {
    if (aliasMask == 0) {
        andWrite ? AndWrite(address, data, count) : Write(address, data, count);
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        const uint64_t cell = (address + i) & ~aliasMask;
        andWrite ? AndWrite(cell, data + i, 1) : Write(cell, data + i, 1);
    }
}

} // namespace vboard

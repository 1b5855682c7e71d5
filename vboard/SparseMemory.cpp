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

} // namespace vboard

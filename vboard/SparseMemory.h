#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>

namespace vboard {

// A memory of a fixed size whose pages exist only once written; untouched
// cells read as the fill byte. Callers check ranges with Contains first.
class TSparseMemory {
  public:
    static constexpr uint32_t kPageSize = 4096;

    TSparseMemory(uint64_t size, uint8_t fill);

    uint64_t Size() const { return size; }
    uint8_t FillByte() const { return fill; }
    // Whether [address, address + count) lies inside the memory.
    bool Contains(uint64_t address, uint64_t count) const;

    void Read(uint64_t address, uint8_t* out, size_t count) const;
    void Write(uint64_t address, const uint8_t* data, size_t count);
    // NOR-flash programming: a write can only clear bits.
    void AndWrite(uint64_t address, const uint8_t* data, size_t count);
    // Restores [address, address + count) to the fill byte, freeing whole pages.
    void Erase(uint64_t address, uint64_t count);
    void Clear() { pages.clear(); }

    size_t PagesInUse() const { return pages.size(); }

    // Defects of the wiring to this memory, as a damaged board has them.
    // ReadWired and WriteWired are what the board's design sees through that
    // wiring; Read and Write reach the cells as they are.
    void AddStuckBit(uint64_t address, int bit, bool value);
    void AddAliasedAddressBit(int bit);
    void ClearDefects();
    bool HasDefects() const { return aliasMask != 0 || !stuck.empty(); }
    void ReadWired(uint64_t address, uint8_t* out, size_t count) const;
    // `andWrite`: NOR-flash programming, as AndWrite.
    void WriteWired(uint64_t address, const uint8_t* data, size_t count, bool andWrite);

  private:
    using Page = std::array<uint8_t, kPageSize>;
    Page& Touch(uint64_t pageIndex);
    template <class Op> void ForEachPiece(uint64_t address, size_t count, Op op);

    uint64_t size;
    uint8_t fill;
    std::unordered_map<uint64_t, std::unique_ptr<Page>> pages;

    struct TStuck {
        uint8_t mask = 0;  // the bits that are stuck
        uint8_t value = 0; // what they read
    };
    uint64_t aliasMask = 0; // address lines stuck low
    std::map<uint64_t, TStuck> stuck;
};

} // namespace vboard

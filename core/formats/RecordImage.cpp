#include "core/formats/RecordImage.h"

#include <algorithm>
#include <iterator>

bool TRecordImage::Add(uint64_t address, const uint8_t* data, size_t count, uint64_t* clash) {
    if (count == 0)
        return true;
    const uint64_t end = address + count;
    // Records mostly follow one another: the run added to last grows at its end.
    if (last != runs.end() && last->first + last->second.size() == address && lastBound > end) {
        // Byte by byte for the few of a small record: cheaper than a range insert.
        auto& run = last->second;
        if (count <= 4)
            for (size_t i = 0; i < count; ++i)
                run.push_back(data[i]);
        else
            run.insert(run.end(), data, data + count);
        bytes += count;
        return true;
    }
    auto next = runs.upper_bound(address);
    auto before = next == runs.begin() ? runs.end() : std::prev(next);
    uint64_t first = end;
    if (before != runs.end() && before->first + before->second.size() > address)
        first = address;
    else if (next != runs.end() && next->first < end)
        first = next->first;
    if (first != end) {
        if (clash)
            *clash = first;
        return false;
    }
    bytes += count;
    // Joined to the run it continues, or a run of its own.
    auto run = before;
    if (run != runs.end() && run->first + run->second.size() == address)
        run->second.insert(run->second.end(), data, data + count);
    else
        run = runs.emplace(address, std::vector<uint8_t>(data, data + count)).first;
    if (next != runs.end() && next->first == end) {
        run->second.insert(run->second.end(), next->second.begin(), next->second.end());
        runs.erase(next);
    }
    last = run;
    const auto after = std::next(run);
    lastBound = after == runs.end() ? UINT64_MAX : after->first;
    return true;
}

std::vector<TImageSegment> TRecordImage::TakeSegments() {
    std::vector<TImageSegment> segments;
    segments.reserve(runs.size());
    for (auto& [address, bytes] : runs)
        segments.push_back({address, std::move(bytes)});
    runs.clear();
    last = runs.end();
    bytes = 0;
    return segments;
}

#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// A Value Change Dump of up to 64 one-bit wires, as waveform viewers (GTKWave,
// PulseView, ...) open it. Written as it goes and flushed at every sample, so
// the file is whole up to the last change whenever the program stops.
class TVcdWriter {
  public:
    // Wire i is bit i of each sample, under `names[i]` in one scope. Times are
    // in microseconds.
    TVcdWriter(std::ostream& out, std::string scope, std::vector<std::string> names,
               std::string version);

    // The wires' levels at `timeUs`. The first sample writes the header and
    // every level; later ones write the wires that changed. A time earlier
    // than the last one counts as the last one.
    void Sample(uint64_t timeUs, uint64_t bits);
    // A closing time stamp, so viewers show how long the last levels lasted.
    void Finish(uint64_t timeUs);

    // The short code a wire goes by in the value changes: printable ASCII
    // from '!' on, longer once the one-character codes run out.
    static std::string WireCode(size_t index);

  private:
    void WriteHeader();
    void WriteTime(uint64_t timeUs);

    std::ostream& out;
    std::string scope;
    std::vector<std::string> names;
    std::string version;
    bool started = false;
    uint64_t lastTime = 0;
    uint64_t lastBits = 0;
};

#pragma once
// Helpers shared by the board-link integration tests.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "board/Board.h"
#include "core/formats/HexCodec.h"
#include "tests/support/TestVBoard.h"

// Counts the beeps of the boards it watches.
class HookRecorder {
public:
    void Watch(TBoard& board) {
        board.OnBeep = [this] { ++beeps; };
    }
    int beeps = 0;
};

inline long long MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// "4142" from {0x41, 0x42}, as the control protocol writes bytes.
inline std::string CtlBytes(const std::vector<uint8_t>& bytes) {
    return EncodeHexText(bytes.data(), bytes.size());
}

// Memory straight from the board model, bypassing the link.
inline std::vector<uint8_t> BoardMemory(const TestVBoard& vb, int code, uint32_t address,
                                        uint32_t count) {
    std::string text = vb.CtlOk(fmt::format("mem read {} 0x{:X} {}", code, address, count));
    std::vector<uint8_t> bytes(text.begin(), text.end());
    EXPECT_TRUE(DecodeHexText(bytes.data(), bytes.size()));
    bytes.resize(bytes.size() / 2);
    return bytes;
}

inline void SetBoardMemory(const TestVBoard& vb, int code, uint32_t address,
                           const std::vector<uint8_t>& bytes) {
    vb.CtlOk(fmt::format("mem write {} 0x{:X} {}", code, address, CtlBytes(bytes)));
}

// Deterministic test pattern that differs from chunk to chunk.
inline std::vector<uint8_t> Pattern(size_t count, uint32_t seed = 1) {
    std::vector<uint8_t> v(count);
    uint32_t x = seed;
    for (auto& b : v) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return v;
}

// Limits short enough that a test waiting on one is quick, long enough for
// any reply of a working board on a loaded machine.
inline TBoard::TLimits ShortLimits(uint32_t ms = 500) {
    return TBoard::TLimits().WithReplyLimit(ms);
}

// A configured virtual board and a session connected to it, with the request
// log emptied.
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        hooks.Watch(board);
        std::string error;
        ASSERT_TRUE(board.Connect(error, 0)) << error;
        vb.CtlOk("log requests");
    }
    // Command ids that reached the board since the last call.
    std::string Requests() const { return vb.CtlOk("log requests"); }

    TestVBoard vb;
    HookRecorder hooks;
    TBoard board;
};

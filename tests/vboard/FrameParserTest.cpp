#include <gtest/gtest.h>

#include <random>

#include "tests/vboard/AllocationCounter.h"
#include "vboard/FrameParser.h"
#include "wire/FrameCodec.h"

using vboard::TFrameParser;
using vboard::TFrameView;
namespace wire = kbr::wire;

namespace {

struct TFrame {
    uint8_t command;
    std::vector<uint8_t> payload;
    bool operator==(const TFrame&) const = default;
};

// Feeds `stream` in pieces of random size, as a socket would deliver it, and
// collects every frame; checks the buffer bound on the way.
std::vector<TFrame> ParseAll(const std::vector<uint8_t>& stream, std::mt19937& rng,
                             TFrameParser& parser) {
    std::vector<TFrame> out;
    size_t at = 0;
    std::uniform_int_distribution<size_t> piece(1, 3000);
    TFrameView f;
    while (at < stream.size()) {
        size_t want = std::min(piece(rng), stream.size() - at);
        size_t took = parser.Feed(stream.data() + at, want);
        at += took;
        EXPECT_LE(parser.Buffered(), TFrameParser::kCapacity);
        while (parser.Next(f))
            out.push_back({f.command, std::vector<uint8_t>(f.payload, f.payload + f.length)});
        if (took == 0 && parser.Space() == 0) {
            ADD_FAILURE() << "parser stuck with a full buffer";
            break;
        }
    }
    while (parser.Next(f))
        out.push_back({f.command, std::vector<uint8_t>(f.payload, f.payload + f.length)});
    return out;
}

TFrame RandomFrame(std::mt19937& rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> pick(0, 99);
    size_t length = pick(rng) < 99 || pick(rng) < 60
                        ? size_t(pick(rng))
                        : std::uniform_int_distribution<size_t>(0, wire::kMaxPayload)(rng);
    TFrame f{uint8_t(byte(rng)), std::vector<uint8_t>(length)};
    uint32_t x = uint32_t(rng());
    for (auto& b : f.payload) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5; // cheap bytes; the big frames need many
        b = uint8_t(x);
    }
    return f;
}

void Append(std::vector<uint8_t>& stream, const TFrame& f) {
    wire::AppendFrame(stream, f.command, f.payload.data(), f.payload.size());
}

// Junk without a start byte, so it can never begin a frame of its own.
void AppendJunk(std::vector<uint8_t>& stream, std::mt19937& rng, size_t count) {
    std::uniform_int_distribution<int> byte(0, 255);
    for (size_t i = 0; i < count; ++i) {
        uint8_t b = uint8_t(byte(rng));
        stream.push_back(b == wire::kFrameStart ? 0x00 : b);
    }
}

// Lines up what came out with what should have: frames missing from `got`
// and frames in `got` that were never sent whole.
struct TMatch {
    size_t missing = 0, extra = 0;
};
TMatch Match(const std::vector<TFrame>& expected, const std::vector<TFrame>& got) {
    TMatch m;
    size_t j = 0;
    for (const auto& f : got) {
        size_t k = j;
        while (k < expected.size() && k < j + 8 && !(expected[k] == f))
            ++k;
        if (k < expected.size() && expected[k] == f) {
            m.missing += k - j;
            j = k + 1;
        } else {
            ++m.extra;
        }
    }
    m.missing += expected.size() - j;
    return m;
}

} // namespace

TEST(FrameParser, FindsTheDocumentedRequests) {
    TFrameParser p;
    const uint8_t leds[] = {0xAA, 0x05, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x07, 0x0D, 0x55};
    const uint8_t name[] = {0xAA, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x55};
    p.Feed(leds, sizeof leds);
    p.Feed(name, sizeof name);
    TFrameView f;
    ASSERT_TRUE(p.Next(f));
    EXPECT_EQ(f.command, 5);
    ASSERT_EQ(f.length, 4u);
    EXPECT_EQ(wire::GetU32(f.payload), 0x07FFFFFFu);
    ASSERT_TRUE(p.Next(f));
    EXPECT_EQ(f.command, 0);
    EXPECT_EQ(f.length, 0u);
    EXPECT_FALSE(p.Next(f));
    EXPECT_EQ(p.BadFrames(), 0u);
}

TEST(FrameParser, ResynchronisesAfterEachKindOfBadFrame) {
    const TFrame good{0x01, {}};
    std::vector<uint8_t> base;
    Append(base, {0x0E, {1, 2, 3}});

    struct TCase {
        const char* name;
        std::vector<uint8_t> bad;
    };
    std::vector<uint8_t> badChecksum = base, badEnd = base, oversize(6);
    badChecksum[base.size() - 2] ^= 1;
    badEnd.back() = 0x54;
    oversize[0] = wire::kFrameStart;
    oversize[1] = 0x0D;
    wire::PutU32(oversize.data() + 2, wire::kMaxPayload + 1);
    std::vector<uint8_t> badStart = {0x12, 0x34, 0x55, 0x00};
    std::vector<uint8_t> hugeLength = {wire::kFrameStart, 0x0D, 0xFF, 0xFF, 0xFF, 0xFF};
    const TCase cases[] = {{"bad start", badStart},
                           {"bad checksum", badChecksum},
                           {"bad end", badEnd},
                           {"length over the limit", oversize},
                           {"length 0xFFFFFFFF", hugeLength}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFrameParser p;
        // An oversize length is refused from the header alone, without waiting for a payload.
        if (c.bad.size() == 6) {
            p.Feed(c.bad.data(), 6);
            TFrameView f;
            EXPECT_FALSE(p.Next(f));
            EXPECT_EQ(p.BadFrames(), 1u);
            EXPECT_EQ(p.Buffered(), 0u);
        }
        std::vector<uint8_t> stream = c.bad;
        Append(stream, good);
        std::mt19937 rng(1);
        auto frames = ParseAll(stream, rng, p);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0], good);
        EXPECT_GE(p.BadFrames(), 1u);
        EXPECT_EQ(p.Buffered(), 0u);
    }
}

TEST(FrameParser, NeverAllocatesWhileParsing) {
    // Hostile headers claiming up to 4 GiB, valid frames and noise: the parser
    // works in the buffer it was built with.
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> stream;
    for (int i = 0; i < 20000; ++i) {
        uint8_t header[wire::kHeaderSize] = {wire::kFrameStart, uint8_t(byte(rng)), 0, 0, 0, 0};
        wire::PutU32(header + 2, uint32_t(byte(rng)) << 24 | uint32_t(byte(rng)) << 8);
        stream.insert(stream.end(), header, header + 6);
        Append(stream, RandomFrame(rng));
        for (int k = byte(rng) / 8; k > 0; --k)
            stream.push_back(uint8_t(byte(rng)));
    }
    TFrameParser p;
    size_t before = AllocationCount();
    size_t frames = 0;
    TFrameView f;
    for (size_t at = 0; at < stream.size();) {
        at += p.Feed(stream.data() + at, std::min<size_t>(1500, stream.size() - at));
        while (p.Next(f))
            ++frames;
    }
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_GE(frames, 19900u);
    EXPECT_GE(p.BadFrames(), 20000u);
}

TEST(FrameParser, FindsAFrameWhoseStartHidesInsideABadOne) {
    // The bad frame's declared length swallows the good frame; dropping only
    // the bad start byte and rescanning still finds it.
    std::vector<uint8_t> stream = {wire::kFrameStart, 0x07, 0x20, 0x00, 0x00, 0x00};
    Append(stream, {0x06, {}});
    std::mt19937 rng(2);
    AppendJunk(stream, rng, 40);
    TFrameParser p;
    auto frames = ParseAll(stream, rng, p);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].command, 0x06);
}

TEST(FrameParser, LargestFrameFitsEvenAfterJunk) {
    TFrameParser p;
    std::mt19937 rng(3);
    std::vector<uint8_t> stream;
    AppendJunk(stream, rng, TFrameParser::kCapacity - 100);
    TFrame big{0x0D, std::vector<uint8_t>(wire::kMaxPayload, 0x5A)};
    Append(stream, big);
    auto frames = ParseAll(stream, rng, p);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], big);
}

TEST(FrameParser, RandomFramesBetweenJunkAllComeThrough) {
    std::mt19937 rng(370);
    std::uniform_int_distribution<int> junk(0, 40);
    std::vector<TFrame> sent;
    std::vector<uint8_t> stream;
    for (int i = 0; i < 45000; ++i) {
        AppendJunk(stream, rng, size_t(junk(rng) < 30 ? 0 : junk(rng)));
        sent.push_back(RandomFrame(rng));
        Append(stream, sent.back());
    }
    TFrameParser p;
    auto got = ParseAll(stream, rng, p);
    ASSERT_EQ(got.size(), sent.size());
    EXPECT_TRUE(got == sent);
}

TEST(FrameParser, MutatedStreamsNeverCrashAndKeepTheUntouchedFrames) {
    std::mt19937 rng(1370);
    std::uniform_int_distribution<int> pct(0, 99), byte(0, 255);
    std::vector<TFrame> untouched;
    std::vector<uint8_t> stream;
    const int kFrames = 45000;
    for (int i = 0; i < kFrames; ++i) {
        TFrame f = RandomFrame(rng);
        size_t at = stream.size();
        Append(stream, f);
        size_t size = stream.size() - at;
        int roll = pct(rng);
        if (roll < 70) {
            untouched.push_back(f);
        } else if (roll < 80) {
            stream[at + std::uniform_int_distribution<size_t>(0, size - 1)(rng)] ^=
                uint8_t(1 + byte(rng) % 255);
        } else if (roll < 85) {
            stream.resize(at +
                          std::uniform_int_distribution<size_t>(0, size - 1)(rng)); // cut short
        } else if (roll < 90) {
            wire::PutU32(stream.data() + at + 2, uint32_t(byte(rng)) << 24 | uint32_t(byte(rng)));
        } else {
            // The frame stays whole, followed by random bytes, start bytes included.
            untouched.push_back(f);
            for (int k = byte(rng); k > 0; --k)
                stream.push_back(uint8_t(byte(rng)));
        }
    }
    TFrameParser p;
    auto got = ParseAll(stream, rng, p);
    // Every frame the parser hands out is well formed by construction. Now and
    // then noise passes for a frame (a 1 in 65536 chance per bad header) and
    // may swallow a good one behind it; everything else must come through in order.
    TMatch m = Match(untouched, got);
    EXPECT_LE(m.missing, size_t(kFrames / 1000));
    EXPECT_LE(m.extra, size_t(kFrames / 1000));
    EXPECT_GE(got.size(), untouched.size() - kFrames / 1000);
    EXPECT_GT(p.BadFrames(), 0u);
}

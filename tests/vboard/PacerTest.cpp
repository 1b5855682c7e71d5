#include <gtest/gtest.h>

#include "vboard/Pacer.h"
#include "vboard/SparseMemory.h"

using namespace std::chrono;
using vboard::TPacer;

TEST(Pacer, HoldsTheRateOverABusyPeriodWhateverTheWakeUps) {
    TPacer p;
    EXPECT_EQ(p.Allowance(TPacer::Clock::now()), SIZE_MAX);
    p.SetRate(1000000);
    auto t0 = TPacer::Clock::now();
    size_t sent = 0;
    auto t = t0;
    EXPECT_EQ(p.Allowance(t), TPacer::kFifoBytes); // one FIFO's worth at once
    p.Consumed(TPacer::kFifoBytes);
    sent = TPacer::kFifoBytes;
    // Irregular wake-ups over one second.
    for (int i = 0; i < 700; ++i) {
        t += microseconds(500 + (i * 37) % 2000);
        size_t a = p.Allowance(t);
        p.Consumed(a);
        sent += a;
    }
    double elapsed = duration<double>(t - t0).count();
    EXPECT_NEAR(double(sent) / elapsed, 1e6, 1e6 * 0.001);
    // With much waiting, the next wake-up is a tick away and not after the
    // next byte is due; a frame's tail due sooner is woken for exactly then.
    EXPECT_GE(p.NextAt(t, 100000), t + TPacer::kTick);
    EXPECT_LE(p.NextAt(t, 100000), t + TPacer::kTick + microseconds(2));
    auto tail = p.NextAt(t, 300);
    EXPECT_LT(tail, t + TPacer::kTick);
    EXPECT_EQ(p.Allowance(tail), 300u);
    EXPECT_EQ(p.Allowance(tail - microseconds(2)), 298u);
    p.Consumed(300);
    // A quiet line earns one FIFO's worth at most, and only what the quiet
    // moment is worth.
    p.Idle();
    EXPECT_EQ(p.Allowance(tail + microseconds(10)), 10u);
    p.Idle();
    EXPECT_EQ(p.Allowance(tail + seconds(10)), TPacer::kFifoBytes);
}

TEST(SparseMemory, EraseFreesWholePagesAndFillsPartOnes) {
    vboard::TSparseMemory m(1 << 20, 0xFF);
    std::vector<uint8_t> zeros(3 * 4096, 0);
    m.Write(100, zeros.data(), zeros.size());
    EXPECT_EQ(m.PagesInUse(), 4u);
    m.Erase(4096, 2 * 4096 + 10);
    EXPECT_EQ(m.PagesInUse(), 2u);
    uint8_t b[3];
    m.Read(4095, b, 3);
    EXPECT_EQ(b[0], 0x00);
    EXPECT_EQ(b[1], 0xFF);
    m.Read(3 * 4096 + 9, b, 2);
    EXPECT_EQ(b[0], 0xFF);
    EXPECT_EQ(b[1], 0x00);
    EXPECT_TRUE(m.Contains(0, 1 << 20));
    EXPECT_FALSE(m.Contains(1, 1 << 20));
    EXPECT_FALSE(m.Contains(UINT64_MAX, 2));
}

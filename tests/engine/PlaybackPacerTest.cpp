#include "engine/record/PlaybackPacer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct Block
{
    int count;
    double rate;
    qint64 workUs = 0; // time passing before the block is queued (reading it, a late wake-up)
};

// Plays the blocks on a clock that moves only by the work and the pauses asked for.
std::vector<qint64> pausesFor(const std::vector<Block>& blocks)
{
    PlaybackPacer pacer;
    qint64 now = 5000000; // any steady clock's origin
    pacer.start(now);
    std::vector<qint64> pauses;
    for (const Block& block : blocks) {
        now += block.workUs;
        pauses.push_back(pacer.pauseAfter(block.count, block.rate, now));
        now += pauses.back();
    }
    return pauses;
}

} // namespace

TEST(PlaybackPacer, EachBlockIsDueOnTheRecordingsClockLessTheLead)
{
    const qint64 max = PlaybackPacer::MaxPauseUs;
    const struct
    {
        const char* what;
        std::vector<Block> blocks;
        std::vector<qint64> pausesUs;
    } cases[] = {
        {"100 ms blocks", {{4800, 48000}, {4800, 48000}, {4800, 48000}}, {90000, 100000, 100000}},
        // 4 ms each: the first ones fall within the lead, then each takes its 4 ms.
        {"blocks shorter than the lead",
         {{8192, 2048000}, {8192, 2048000}, {8192, 2048000}, {8192, 2048000}, {8192, 2048000}},
         {0, 0, 2000, 4000, 4000}},
        {"time spent reading is not added",
         {{4800, 48000}, {4800, 48000, 5000}, {4800, 48000, 5000}},
         {90000, 95000, 95000}},
        {"a change of rate", {{4800, 48000}, {48000, 2048000}, {4800, 96000}}, {90000, 23438, 50000}},
        // Three seconds late: the missed time is not rushed through.
        {"far behind", {{4800, 48000}, {4800, 48000, 3000000}, {4800, 48000}}, {90000, 0, 100000}},
        {"no samples", {{0, 48000}, {-100, 48000}}, {0, 0}},
        {"rate 0", {{100, 0}}, {0}},
        {"negative rate", {{100, -1}}, {0}},
        {"rate not a number", {{100, std::nan("")}}, {0}},
        // Clamped in double precision, never an overflow.
        {"rate near 0", {{1, 1e-30}}, {max}},
        {"largest block at a tiny rate", {{RfFormat::MaxBlockSamples, 1e-4}}, {max}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pausesFor(c.blocks), c.pausesUs) << c.what;
}

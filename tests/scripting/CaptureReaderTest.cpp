// What getRxSamples hands a script from the capture queue: samples in order,
// padded with zeros, the rest of a block kept for the next call, and a debug
// line for each block taken from the queue.
#include "scripting/CaptureReader.h"

#include "DebugCapture.h"
#include "engine/SampleFifo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// Queues blocks whose samples count up: sample k is (k, -k).
void queueBlocks(SampleFifo& queue, const std::vector<int>& sizes)
{
    int next = 0;
    for (int size : sizes) {
        auto* block = static_cast<Complex*>(std::malloc(sizeof(Complex) * size));
        for (int i = 0; i < size; ++i, ++next)
            block[i] = Complex(float(next), float(-next));
        ASSERT_GT(queue.enqueue(block, size, 0, nullptr), 0);
    }
}

struct ReadCase
{
    const char* what;
    std::vector<int> blocks;
    std::vector<int> calls;                // count asked by each call
    std::vector<int> firstOf;              // the first sample each call returns
    std::vector<int> placedBy;             // samples each call found (the rest is 0)
    std::vector<std::vector<int>> takenBy; // sizes of the blocks each call took from the queue
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << c.what;
}

class CaptureReads : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(CaptureReads, ReturnTheSamplesInOrderAndPadWithZeros)
{
    const ReadCase& c = GetParam();
    SampleFifo queue;
    queueBlocks(queue, c.blocks);
    CaptureReader reader;
    for (size_t call = 0; call < c.calls.size(); ++call) {
        DebugCapture debug;
        const std::vector<double> got = reader.take(queue, c.calls[call]);
        QStringList announced;
        for (int size : c.takenBy[call])
            announced << QStringLiteral("ScriptEngine::getRxSamples adding samples=%1").arg(size);
        EXPECT_EQ(debug.lines(), announced) << "call " << call;
        ASSERT_EQ(got.size(), 2 * size_t(c.calls[call])) << "call " << call;
        for (int i = 0; i < c.calls[call]; ++i) {
            const double expected = i < c.placedBy[call] ? c.firstOf[call] + i : 0;
            ASSERT_EQ(got[2 * i], expected) << "call " << call << " sample " << i;
            ASSERT_EQ(got[2 * i + 1], -expected) << "call " << call << " sample " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    ScriptCapture, CaptureReads,
    ::testing::Values(ReadCase{"nothing captured", {}, {4}, {0}, {0}, {{}}},
                      ReadCase{"short capture", {3}, {5}, {0}, {3}, {{3}}},
                      // Three blocks of 2048: the second call goes on where the first stopped,
                      // inside the second block; the third gets the last 144 and zeros.
                      ReadCase{"rest kept",
                               {2048, 2048, 2048},
                               {3000, 3000, 3000},
                               {0, 3000, 6000},
                               {3000, 3000, 144},
                               {{2048, 2048}, {2048}, {}}},
                      ReadCase{
                          "rest alone serves a call", {10}, {3, 4, 3}, {0, 3, 7}, {3, 4, 3}, {{10}, {}, {}}}),
    [](const ::testing::TestParamInfo<ReadCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (ch == ' ')
                ch = '_';
        return name;
    });

// A block of 0 samples ends the taking and is freed (LeakSanitizer watches).
TEST(ScriptCapture, AnEmptyBlockEndsTheTaking)
{
    SampleFifo queue;
    ASSERT_GT(queue.enqueue(std::malloc(sizeof(Complex)), 0, 0, nullptr), 0);
    queueBlocks(queue, {2});
    CaptureReader reader;
    EXPECT_EQ(reader.take(queue, 2), std::vector<double>(4, 0.0));
    EXPECT_EQ(reader.take(queue, 2), (std::vector<double>{0, 0, 1, -1}));
}

} // namespace

#include "engine/ReceiverHardware.h"
#include "engine/FrequencyConverter.h"

#include "StubReceiverHardware.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr qint64 MHz = 1000000;

struct ConverterCase
{
    const char* name;
    qint64 lo, inMin, inMax;
    qint64 radio;    // asked
    qint64 hardware; // tuned
    qint64 readBack; // reported after tuning
};

void PrintTo(const ConverterCase& c, std::ostream* os)
{
    *os << c.name;
}

class ConverterMapping : public ::testing::TestWithParam<ConverterCase>
{
};

} // namespace

TEST_P(ConverterMapping, TunesAndReadsBack)
{
    const ConverterCase& c = GetParam();
    FrequencyConverter converter;
    converter.set(c.lo, c.inMin, c.inMax);
    EXPECT_EQ(converter.toHardwareFreq(c.radio), c.hardware);
    EXPECT_EQ(converter.fromHardwareFreq(converter.toHardwareFreq(c.radio)), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConverterMapping,
    ::testing::Values(ConverterCase{"UpConverter", 125 * MHz, 0, 60 * MHz, 7 * MHz, 132 * MHz, 7 * MHz},
                      ConverterCase{"ClampedToInMax", 125 * MHz, 0, 60 * MHz, 100 * MHz, 185 * MHz, 60 * MHz},
                      ConverterCase{"ClampedToInMin", 125 * MHz, 1 * MHz, 60 * MHz, 0, 126 * MHz, 1 * MHz},
                      ConverterCase{"DownConverter", 10000 * MHz, 9000 * MHz, 11000 * MHz, 10400 * MHz,
                                    400 * MHz, 10400 * MHz},
                      // Above 2 x LO the input range straddles the oscillator: read back as f - 2 x LO.
                      ConverterCase{"AboveTwiceLO", 125 * MHz, 0, 1000 * MHz, 300 * MHz, 175 * MHz, 50 * MHz},
                      ConverterCase{"EqualToLO", 125 * MHz, 0, 1000 * MHz, 125 * MHz, 0, 125 * MHz},
                      ConverterCase{"InvertedRangeUsesInMin", 125 * MHz, 50 * MHz, 10 * MHz, 7 * MHz,
                                    175 * MHz, 50 * MHz},
                      ConverterCase{"Unset", 0, 0, 0, 7 * MHz, 0, 0}),
    [](const ::testing::TestParamInfo<ConverterCase>& info) { return std::string(info.param.name); });

// A converter nobody has set up yet passes nothing on: every frequency asked
// lands on 0, and 0 reads back as 0, like one set to zeros.
TEST(FrequencyConverter, NotYetSetTunesNothingButZero)
{
    const FrequencyConverter fresh;
    for (qint64 asked : {qint64(0), 7 * MHz, 145 * MHz, -1 * MHz}) {
        EXPECT_EQ(fresh.toHardwareFreq(asked), 0) << asked;
        EXPECT_EQ(fresh.fromHardwareFreq(fresh.toHardwareFreq(asked)), 0) << asked;
    }
}

TEST(ReceiverHardware, WithoutATableAnswersNeutrally)
{
    StubReceiverHardware receiver;
    EXPECT_EQ(receiver.getSampleRateCount(), 0);
    EXPECT_EQ(receiver.getSampleRateValue(0), 0);
    EXPECT_EQ(receiver.getPreferredSampleRate(), -1);
    EXPECT_EQ(receiver.getNearestSampleRate(1000), 0);

    receiver.setSampleRates({}, 0);
    EXPECT_EQ(receiver.getSampleRateCount(), 0);
    EXPECT_EQ(receiver.getSampleRateValue(3), 0); // no division by an empty count
    EXPECT_EQ(receiver.getPreferredSampleRate(), -1);
    EXPECT_EQ(receiver.getNearestSampleRate(1000), 0);
}

TEST(ReceiverHardware, SampleRateTableLookups)
{
    StubReceiverHardware receiver;
    receiver.setSampleRates({250000, 1000000, 2048000, 2400000}, 2);
    EXPECT_EQ(receiver.getSampleRateCount(), 4);
    EXPECT_EQ(receiver.getSampleRateValue(0), 250000);
    EXPECT_EQ(receiver.getSampleRateValue(5), 1000000); // modulo the count
    EXPECT_EQ(receiver.getSampleRateValue(-1), 0);      // never read before the table
    EXPECT_EQ(receiver.getPreferredSampleRate(), 2048000);

    EXPECT_EQ(receiver.getNearestSampleRate(250000), 250000);
    EXPECT_EQ(receiver.getNearestSampleRate(250001), 1000000);
    EXPECT_EQ(receiver.getNearestSampleRate(5000000), 2400000);
    EXPECT_EQ(receiver.getNearestSampleRate(-1), 2400000); // compared as unsigned: above every rate

    receiver.setSampleRates({250000}, 3);
    EXPECT_EQ(receiver.getPreferredSampleRate(), -1);
}

TEST(ReceiverHardware, BaseDefaultsAndInstanceNumbers)
{
    auto first = std::make_unique<StubReceiverHardware>();
    StubReceiverHardware second;
    StubReceiverHardware third;
    EXPECT_EQ(second.instanceNumber(), first->instanceNumber() + 1);
    EXPECT_EQ(third.instanceNumber(), first->instanceNumber() + 2);

    // Destroyed through the interface: the derived part goes too.
    std::unique_ptr<ReceiverHardware> owned = std::move(first);
    EXPECT_EQ(owned->getType(), 0);
    EXPECT_EQ(owned->getBoardCount(), 0);
    EXPECT_EQ(owned->getDisplayWidget(), nullptr);
    EXPECT_EQ(owned->frequencyConverter.load(), nullptr);
    QString value = "kept";
    owned->setParam("audioInputName", "x");
    owned->getParam("audioInputName", value);
    EXPECT_EQ(value, "kept");
}

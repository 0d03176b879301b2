#include "hardware/HardwareLoader.h"

#include "ProgramLog.h"
#include "TempWorkDir.h"
#include "tests/fixtures/synthetic_driver/SyntheticScene.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLibrary>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <memory>

namespace {

constexpr qint64 MHz = 1000000;

QString driverPath(const char* name)
{
    return QStringLiteral(SYNTHETIC_DRIVER_DIR "/EXTSDR_") + name + ".dll";
}

// The test hooks of a synthetic driver, through a handle of our own that keeps
// the library mapped while loaders come and go.
class DriverHooks
{
public:
    explicit DriverHooks(const char* name) : m_library(driverPath(name))
    {
        m_callCount = reinterpret_cast<int (*)(const char*)>(m_library.resolve("syntheticCallCount"));
        m_selectedBoard = reinterpret_cast<int (*)()>(m_library.resolve("syntheticSelectedBoard"));
        auto reset = reinterpret_cast<void (*)()>(m_library.resolve("syntheticResetCounters"));
        EXPECT_TRUE(m_callCount && m_selectedBoard && reset) << m_library.errorString().toStdString();
        reset();
    }
    int calls(const char* entryPoint) const { return m_callCount(entryPoint); }
    int selectedBoard() const { return m_selectedBoard(); }

private:
    QLibrary m_library;
    int (*m_callCount)(const char*) = nullptr;
    int (*m_selectedBoard)() = nullptr;
};

// A temporary working folder whose ./logs/vantor-sdr.log receives the loader's lines.
class LoaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ProgramLog::capture(); }
    static QString log() { return ProgramLog::text(); }

    TempWorkDir m_dir;
};

// Amplitude of the component at offset hz: a single-bin DFT over whole periods.
double amplitudeAt(const float* iq, int count, double rate, double hz)
{
    std::complex<double> sum;
    for (int n = 0; n < count; ++n) {
        const double phase = -2 * M_PI * hz * n / rate;
        sum += std::complex<double>(iq[2 * n], iq[2 * n + 1]) * std::polar(1.0, phase);
    }
    return std::abs(sum) / count;
}

} // namespace

TEST_F(LoaderTest, LoadsTheSyntheticReceiver)
{
    HardwareLoader loader(0);
    ASSERT_TRUE(loader.loadDLL(driverPath("Synthetic")));
    EXPECT_TRUE(log().contains("[Trace]")) << log().toStdString();
    EXPECT_TRUE(log().contains("{kv3lab} HardwareLoader::loadDLL completed ok"));

    EXPECT_EQ(loader.boardIndex(), 0);
    EXPECT_EQ(loader.getType(), 1);
    EXPECT_EQ(loader.getBoardCount(), 1);
    EXPECT_STREQ(loader.getHardwareName(), "Synthetic");
    ASSERT_EQ(loader.getSampleRateCount(), int(std::size(SyntheticScene::SampleRates)));
    for (int i = 0; i < loader.getSampleRateCount(); ++i)
        EXPECT_EQ(loader.getSampleRateValue(i), SyntheticScene::SampleRates[i]);
    EXPECT_EQ(loader.getPreferredSampleRate(), SyntheticScene::PreferredSampleRate);
    EXPECT_EQ(loader.getMin_HWRx_CenterFreq(), SyntheticScene::MinCenterHz);
    EXPECT_EQ(loader.getMax_HWRx_CenterFreq(), SyntheticScene::MaxCenterHz);

    ASSERT_EQ(loader.getRxGainStageCount(), 2);
    EXPECT_EQ(loader.getRxGainStageName(0), "RF");
    EXPECT_EQ(loader.getRxGainStageName(1), "IF");
    EXPECT_EQ(loader.getRxGainStageUnitName(1), "dB");
    EXPECT_EQ(loader.getGainDiscreteValuesCount(0), 9);
    EXPECT_EQ(loader.getGainDiscreteValue(0, 8), SyntheticScene::RfGainMaxDb);
    EXPECT_EQ(loader.getMinGainValue(1), SyntheticScene::IfGainMinDb);
    loader.setRxGain(4.0f, 0);
    EXPECT_EQ(loader.getRxGainValue(0), 3.0f); // nearest discrete step
    loader.setRxGain(0.0f, 0);

    loader.setIQCorrectionFactors(1.5f, 0.5f, 0.25f);
    float i = 0, q = 0, c = 0;
    loader.getIQCorrectionFactors(&i, &q, &c);
    EXPECT_EQ(std::make_tuple(i, q, c), std::make_tuple(1.5f, 0.5f, 0.25f));
    loader.setppmError(-1.25);
    EXPECT_EQ(loader.getppmError(), -1.25);
    loader.setppmError(0);

    EXPECT_EQ(loader.setRxSampleRate(2048000), 1);
    EXPECT_EQ(loader.getActualRxSampleRate(), 2048000);
    EXPECT_EQ(loader.setRxSampleRate(12345), 0);
    EXPECT_EQ(loader.getActualRxSampleRate(), 2048000);
    loader.setRxSampleRate(SyntheticScene::PreferredSampleRate);
}

struct RefusalCase
{
    const char* name;
    const char* file;    // relative to the fixtures folder, or a file the test writes
    bool writeJunk;      // write a non-library file under that name in the working folder
    const char* logLine; // expected after the path, or empty for none
};

void PrintTo(const RefusalCase& c, std::ostream* os)
{
    *os << c.name;
}

class LoaderRefusal : public LoaderTest, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(LoaderRefusal, RefusesAndResets)
{
    const RefusalCase& c = GetParam();
    QString path = c.writeJunk ? QStringLiteral("./") + c.file : driverPath(c.file);
    if (c.writeJunk) {
        QFile junk(m_dir.file(c.file));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("not a library");
    }

    HardwareLoader loader(0);
    EXPECT_FALSE(loader.loadDLL(path));
    EXPECT_TRUE(log().contains("HardwareLoader::loadDLL(" + path + c.logLine)) << log().toStdString();

    // A reset loader answers every operation with its fixed neutral value.
    EXPECT_EQ(loader.boardIndex(), -1);
    EXPECT_EQ(loader.getType(), 0);
    EXPECT_EQ(loader.getSampleRateCount(), 0);
    EXPECT_EQ(loader.getBoardCount(), 0);
    EXPECT_EQ(loader.getHardwareName(), nullptr);
    EXPECT_EQ(loader.prepareRXEngine(), -1);
    EXPECT_EQ(loader.getRxCenterFreq(), -1);
    EXPECT_EQ(loader.getRxGainStageCount(), 0);
    EXPECT_EQ(loader.getRxGainStageName(0), "error");
    EXPECT_EQ(loader.getRxGainValue(0), 0.0f);
    int count = 7;
    EXPECT_EQ(loader.getRXSamples(1, &count), nullptr);
    EXPECT_EQ(count, 0);
    QString value = "kept";
    loader.getParam(SyntheticScene::RealtimeParam, value);
    EXPECT_EQ(value, "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, LoaderRefusal,
    ::testing::Values(RefusalCase{"MissingRequiredEntryPoint", "SyntheticMissing", false,
                                  ", resolve getBoardCount) failed."},
                      RefusalCase{"NotALibrary", "EXTSDR_Junk.dll", true, ", resolve initLibrary) failed."},
                      RefusalCase{"NoSuchFile", "EXTSDR_Absent.dll", false,
                                  ", resolve initLibrary) failed."}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, TypeZeroDriverLoadsWithItsType)
{
    HardwareLoader loader(0);
    ASSERT_TRUE(loader.loadDLL(driverPath("SyntheticType0")));
    EXPECT_EQ(loader.getType(), 0);
}

TEST_F(LoaderTest, DeliversTheSceneInCallerOwnedBlocks)
{
    HardwareLoader loader(0);
    ASSERT_TRUE(loader.loadDLL(driverPath("Synthetic")));
    loader.setParam(SyntheticScene::RealtimeParam, "0");
    QString pacing;
    loader.getParam(SyntheticScene::RealtimeParam, pacing);
    EXPECT_EQ(pacing, "0");

    int count = -1;
    EXPECT_EQ(loader.getRXSamples(4, &count), nullptr) << "nothing before reception starts";
    EXPECT_EQ(count, 0);

    ASSERT_EQ(loader.prepareRXEngine(), 1);
    const double rate = loader.getActualRxSampleRate();
    // 25 blocks of 1024 at 250 kS/s hold 102.4 whole periods of 1 kHz: take 100.
    float* iq = static_cast<float*>(loader.getRXSamples(25, &count));
    ASSERT_NE(iq, nullptr);
    ASSERT_EQ(count, 25 * SyntheticScene::SamplesPerBlock);
    const int n = int(rate / 10);

    using namespace SyntheticScene;
    const double j1 = 0.4971; // Bessel J1 at the NBFM modulation index 2.5
    struct Line
    {
        double hz, amplitude;
    } lines[] = {
        {AmOffsetHz, AmCarrierAmplitude},
        {AmOffsetHz + ToneHz, AmCarrierAmplitude * AmDepth / 2},
        {AmOffsetHz - ToneHz, AmCarrierAmplitude * AmDepth / 2},
        {NbfmOffsetHz + ToneHz, NbfmAmplitude * j1},
        {UsbToneOffsetHz, UsbAmplitude},
        {UsbDialOffsetHz - ToneHz, 0}, // no lower sideband
        {CwOffsetHz, CwAmplitude},
        {100000, 0},
    };
    for (const Line& line : lines)
        EXPECT_NEAR(amplitudeAt(iq, n, rate, line.hz), line.amplitude, 0.001) << line.hz;
    double power = 0;
    for (int k = 0; k < 2 * n; ++k)
        power += double(iq[k]) * iq[k];
    EXPECT_GT(power / n, 0.0); // noise and carriers present
    free(iq);                  // the caller owns the block

    // The two gain stages scale the whole scene: +6 dB RF doubles every line.
    loader.setRxGain(6.0f, 0);
    iq = static_cast<float*>(loader.getRXSamples(25, &count));
    ASSERT_NE(iq, nullptr);
    EXPECT_NEAR(amplitudeAt(iq, n, rate, CwOffsetHz), CwAmplitude * std::pow(10.0, 6.0 / 20), 0.001);
    free(iq);
    loader.setRxGain(0.0f, 0);
    loader.setParam(SyntheticScene::RealtimeParam, "1");
}

TEST_F(LoaderTest, UsbToneIsKeyedAndItsReturnTimed)
{
    using namespace SyntheticScene;
    HardwareLoader loader(0);
    ASSERT_TRUE(loader.loadDLL(driverPath("Synthetic")));
    ASSERT_EQ(loader.prepareRXEngine(), 1);
    const double rate = loader.getActualRxSampleRate();
    const int n = int(rate / 10);
    QString since;
    loader.getParam(UsbToneSinceParam, since);
    EXPECT_TRUE(since.isEmpty()) << "no change yet";

    int count = 0;
    loader.setParam(UsbToneParam, "0");
    float* iq = static_cast<float*>(loader.getRXSamples(25, &count));
    ASSERT_NE(iq, nullptr);
    EXPECT_NEAR(amplitudeAt(iq, n, rate, UsbToneOffsetHz), 0, 0.001);
    EXPECT_NEAR(amplitudeAt(iq, n, rate, CwOffsetHz), CwAmplitude, 0.001) << "the rest of the scene stays";
    free(iq);

    const auto nowNs = [] {
        using namespace std::chrono;
        return qint64(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
    };
    const qint64 asked = nowNs();
    loader.setParam(UsbToneParam, "1");
    iq = static_cast<float*>(loader.getRXSamples(25, &count));
    ASSERT_NE(iq, nullptr);
    const qint64 delivered = nowNs();
    EXPECT_NEAR(amplitudeAt(iq, n, rate, UsbToneOffsetHz), UsbAmplitude, 0.001);
    free(iq);
    // The block's first sample was due after the previous block and before this one came.
    loader.getParam(UsbToneSinceParam, since);
    ASSERT_FALSE(since.isEmpty());
    EXPECT_GT(since.toLongLong(), asked - qint64(1e9));
    EXPECT_LE(since.toLongLong(), delivered);
}

TEST_F(LoaderTest, PacesBlocksToRealTimeByDefault)
{
    HardwareLoader loader(0);
    ASSERT_TRUE(loader.loadDLL(driverPath("Synthetic")));
    ASSERT_EQ(loader.prepareRXEngine(), 1);
    // 50 blocks at 250 kS/s are 204.8 ms of signal.
    QElapsedTimer timer;
    timer.start();
    int count = 0;
    for (int k = 0; k < 2; ++k)
        free(loader.getRXSamples(25, &count));
    EXPECT_GE(timer.elapsed(), 200);
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST_F(LoaderTest, DestructionFinalizesOnceEvenWithoutReception)
{
    DriverHooks hooks("Synthetic");
    {
        HardwareLoader loader(0);
        ASSERT_TRUE(loader.loadDLL(driverPath("Synthetic")));
        EXPECT_EQ(hooks.calls("initLibrary"), 1);
    }
    EXPECT_EQ(hooks.calls("finalizeRXEngine"), 1);
    EXPECT_EQ(hooks.calls("prepareRXEngine"), 0);
    EXPECT_EQ(hooks.calls("selectDevice"), 0); // a single board is never selected
}

TEST_F(LoaderTest, TextsOfTheDriverOutliveItsLibrary)
{
    // The gain-stage captions of the main window outlive the receiver, whose
    // release unloads the driver's library.
    QString stage;
    QString unit;
    {
        HardwareLoader loader(0);
        ASSERT_TRUE(loader.loadDLL(driverPath("Synthetic")));
        stage = loader.getRxGainStageName(0);
        unit = loader.getRxGainStageUnitName(0);
    }
    EXPECT_EQ(stage, "RF");
    EXPECT_EQ(unit, "dB");
}

TEST_F(LoaderTest, ConverterMapsTheCentreButNotTheRange)
{
    HardwareLoader loader(0);
    ASSERT_TRUE(loader.loadDLL(driverPath("Synthetic")));
    FrequencyConverter converter;
    converter.set(125 * MHz, 0, 60 * MHz);
    loader.frequencyConverter = &converter;

    EXPECT_EQ(loader.setRxCenterFreq(7 * MHz), 1);
    EXPECT_EQ(loader.getRxCenterFreq(), 7 * MHz);
    EXPECT_EQ(loader.getMin_HWRx_CenterFreq(), SyntheticScene::MinCenterHz);

    loader.frequencyConverter = nullptr;
    EXPECT_EQ(loader.getRxCenterFreq(), 132 * MHz); // what the driver was given
    loader.setRxCenterFreq(SyntheticScene::DefaultCenterHz);
}

TEST_F(LoaderTest, SeveralBoardsAndTheChosenOneSelectedAgainBeforeReception)
{
    DriverHooks hooks("SyntheticMulti");
    std::vector<std::unique_ptr<HardwareLoader>> boards;
    for (int board = 0; board < 3; ++board) {
        boards.push_back(std::make_unique<HardwareLoader>(board));
        ASSERT_TRUE(boards.back()->loadDLL(driverPath("SyntheticMulti"))) << board;
    }
    EXPECT_EQ(boards[0]->getBoardCount(), 3);
    EXPECT_EQ(hooks.calls("initLibrary"), 3);
    EXPECT_EQ(hooks.calls("selectDevice"), 2); // boards 1 and 2 at load
    EXPECT_EQ(hooks.selectedBoard(), 2);

    ASSERT_EQ(boards[0]->prepareRXEngine(), 1);
    EXPECT_EQ(hooks.selectedBoard(), 0);
    EXPECT_STREQ(boards[0]->getHardwareName(), "Synthetic board 0");

    // A board the driver does not have is refused.
    HardwareLoader missing(3);
    EXPECT_FALSE(missing.loadDLL(driverPath("SyntheticMulti")));
    EXPECT_TRUE(log().contains("{kv3lab} HardwareLoader::loadDLL(" + driverPath("SyntheticMulti") +
                               ", call selectDevice failed."));
}

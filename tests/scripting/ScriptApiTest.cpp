// The "orvex" functions acting on RX A of a running engine: tuning, switching,
// demodulators, the capture and its spectrum, the timer, and the arguments a
// script may get wrong.
#include "ScriptFixture.h"

#include "engine/Channelizer.h"
#include "scripting/JFigure.h"
#include "scripting/JWindow.h"

#include <gmock/gmock.h>
#include <qwt_plot_curve.h>

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

using SyntheticScene::AmOffsetHz;
using SyntheticScene::ToneHz;

// Tuning --------------------------------------------------------------------

struct TuneCase
{
    const char* mhz;
    qint64 hz;
};

void PrintTo(const TuneCase& c, std::ostream* os)
{
    *os << c.mhz;
}

class ScriptTuning : public ScriptTest, public ::testing::WithParamInterface<TuneCase>
{
};

// MHz become the nearest hertz: 32.001 x 1e6 is 32000999.99..., which a cut
// towards zero would tune 1 Hz low.
TEST_P(ScriptTuning, TunesRxAToTheNearestHertz)
{
    const TuneCase& c = GetParam();
    ASSERT_TRUE(
        run(QStringLiteral("orvex.setRxFrequency(%1); orvex.alert(orvex.getRxFrequency());").arg(c.mhz)));
    EXPECT_EQ(h.engine->getRxCenterFreq() + h.engine->getRxOffset(0), c.hz);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_DOUBLE_EQ(boxes.seen()[0].text.toDouble(), double(c.hz) / 1e6);
}

INSTANTIATE_TEST_SUITE_P(Script, ScriptTuning,
                         ::testing::Values(TuneCase{"32.001", 32001000},  // retunes the receiver
                                           TuneCase{"145.02", 145020000}, // moves the channel only
                                           TuneCase{"145.0000006", 145000001},
                                           TuneCase{"145.0000004", 145000000}));

TEST_F(ScriptTest, StepsRxAByItsStepSize)
{
    const int before = h.engine->getRxOffset(0);
    ASSERT_TRUE(
        run(QStringLiteral("orvex.setStepSize(2500); orvex.stepUp(); orvex.stepUp(); orvex.stepDown();")));
    EXPECT_EQ(h.engine->getStepSize(0), 2500);
    EXPECT_EQ(h.engine->getRxOffset(0), before + 2500);
}

// Switching -------------------------------------------------------------------

// Each switch is announced once and waits for its report; asking for the state
// the channel is in already does nothing.
TEST_F(ScriptTest, SwitchesRxAOnAndOffOnce)
{
    QList<bool> announced;
    QObject::connect(
        h.engine.get(), &Controller::MSG_ChannelTurnedOnOff, &rxA,
        [&](int channel, bool on) {
            if (channel == 0)
                announced << on;
        },
        Qt::QueuedConnection);
    ASSERT_TRUE(run(QStringLiteral("orvex.startRX(); orvex.startRX(); orvex.alert('on');"
                                   "orvex.stopRX(); orvex.stopRX();")));
    waitFor([&] { return announced.size() >= 2; });
    EXPECT_EQ(announced, (QList<bool>{true, false}));
    EXPECT_EQ(boxTexts(), QStringList{"on"});
    EXPECT_FALSE(h.engine->channelOn[0]);
    EXPECT_FALSE(log().contains("no answer"));
}

// Demodulators ----------------------------------------------------------------

TEST_F(ScriptTest, InstallsTheNamedDemodulatorWithItsEdges)
{
    ASSERT_TRUE(run(QStringLiteral("orvex.setDemodulator('USB', 10, 2400); orvex.alert('set');")));
    ASSERT_NE(h.engine->currentDemodulator(0), nullptr);
    EXPECT_EQ(h.engine->currentDemodulator(0)->getName(), QString("USB"));
    EXPECT_FLOAT_EQ(h.engine->channelizer(0)->lowCut(), 10);
    EXPECT_FLOAT_EQ(h.engine->channelizer(0)->highCut(), 2400);
    EXPECT_EQ(boxTexts(), QStringList{"set"});
}

// RX A's edges reach the script's engine as the engine reports them; RX B's do not.
TEST_F(ScriptTest, RxAPassBandReportsReachTheScript)
{
    ScriptEngine script(99);
    script.setContext(h.engine.get(), &rxA);
    h.engine->setBBLowHighCut(100, 200, 1, false);
    h.engine->setBBLowHighCut(300, 2700, 0, false);
    ASSERT_TRUE(waitFor([&] { return !debugLines("SLOT_newBBLowHighCutSet").isEmpty(); }));
    const int low = int(h.engine->channelizer(0)->lowCut());
    const int high = int(h.engine->channelizer(0)->highCut());
    EXPECT_EQ(debugLines("SLOT_newBBLowHighCutSet"),
              QStringList{QString("ScriptEngine::SLOT_newBBLowHighCutSet current_lowCut= %1 current_highCut = %2")
                              .arg(low)
                              .arg(high)});
}

// Names are case-sensitive: nothing answers to "usb", and the script goes on
// once its wait runs out, with a log line.
TEST_F(ScriptTest, AnUnknownDemodulatorEndsItsWaitWithALogLine)
{
    const QString before = h.engine->currentDemodulator(0)->getName();
    ASSERT_TRUE(run(QStringLiteral("orvex.setDemodulator('usb', 0, 0); orvex.alert('went on');")));
    EXPECT_EQ(boxTexts(), QStringList{"went on"});
    EXPECT_TRUE(log().contains("setDemodulator usb no answer")) << log().toStdString();
    EXPECT_EQ(h.engine->currentDemodulator(0)->getName(), before);
}

// Capture and spectrum ------------------------------------------------------

// The whole road: tune to the AM carrier, demodulate, capture RX A, take the
// power spectrum and plot it. The carrier's 1 kHz tone stands out at its bin.
TEST_F(ScriptTest, CapturedToneShowsAtItsBinInThePlottedSpectrum)
{
    const int n = 4096;
    const QString script = QStringLiteral(R"(
        var n = %1;
        orvex.setRxFrequency(%2);
        orvex.setDemodulator("AM", 0, 0);
        orvex.startRX();
        orvex.waitFor(300);
        orvex.captureSamples(n);
        var s = [];
        for (var i = 0; i < 1000 && s.length == 0; i++) {
            orvex.waitFor(20);
            s = orvex.getRxSamples(n);
        }
        var f = orvex.figure();
        orvex.plot(f, orvex.calcPower(s, n));
        orvex.showFigure(f);
        orvex.stopRX();
        // The strongest positive-frequency bin of the transform, away from DC.
        var fft = orvex.calcFFT(s, n);
        var strongest = 0, strongestMag = -1;
        for (var k = n - Math.floor(n / 2) + 9; k < n; k++) {
            var mag = fft[2 * k] * fft[2 * k] + fft[2 * k + 1] * fft[2 * k + 1];
            if (mag > strongestMag) { strongestMag = mag; strongest = k; }
        }
        orvex.alert(f + " " + s.length + " " + strongest);
    )")
                               .arg(n)
                               .arg((h.engine->getRxCenterFreq() + AmOffsetHz) / 1e6, 0, 'f', 6);
    ASSERT_TRUE(run(script));
    ASSERT_EQ(boxes.seen().size(), 1u);
    const QStringList told = boxes.seen()[0].text.split(' ');
    ASSERT_EQ(told.size(), 3);
    EXPECT_EQ(told[0], QString("1"));
    EXPECT_EQ(told[1].toInt(), 2 * n);
    EXPECT_FALSE(h.engine->channelOn[0]);

    JWindow* window = core()->window(0);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    const QwtPlotItemList curves = window->figure()->itemList(QwtPlotItem::Rtti_PlotCurve);
    ASSERT_EQ(curves.size(), 1);
    const QwtSeriesData<QPointF>* data = static_cast<QwtPlotCurve*>(curves[0])->data();
    ASSERT_EQ(int(data->size()), n);

    // The capture holds the demodulator's output at the channel rate.
    const int rate = h.engine->currentDemodulator(0)->getInputRate();
    const int zero = n - n / 2;
    const int tone = zero + int(std::lround(ToneHz * n / rate));
    double toneDb = -1e9;
    double otherDb = -1e9;
    for (int i = 0; i < n; ++i) {
        const double db = data->sample(size_t(i)).y();
        const int fromZero = std::abs(i - zero);
        if (std::abs(i - tone) <= 1)
            toneDb = std::max(toneDb, db);
        else if (fromZero > 8 && std::abs(fromZero - (tone - zero)) > 1) // not DC, not the mirror image
            otherDb = std::max(otherDb, db);
    }
    EXPECT_GT(toneDb, otherDb + 20) << "tone bin " << tone << " at rate " << rate;
    EXPECT_NEAR(told[2].toInt(), tone, 1) << "the transform's strongest bin";
}

TEST_F(ScriptTest, SamplesBeforeAnyCaptureAreEmpty)
{
    ASSERT_TRUE(run(QStringLiteral("orvex.alert(orvex.getRxSamples(16).length);")));
    EXPECT_EQ(boxTexts(), QStringList{"0"});
}

// Sizes come from the script: at 0 or less, or absurdly large, the answer is
// empty (a log line says why), never a crash or a huge allocation.
TEST_F(ScriptTest, SizesOutOfRangeGiveEmptyArrays)
{
    struct Call
    {
        const char* expression;
        int length;
        const char* says; // in the log, or in the debug output for a bad array
    };
    const Call calls[] = {
        {"orvex.getRxSamples(0)", 0, "getRxSamples size 0 outside"},
        {"orvex.getRxSamples(-5)", 0, "getRxSamples size -5 outside"},
        {"orvex.getRxSamples(1e12)", 0, "getRxSamples size 1e+12 outside"},
        {"orvex.calcFFT([1, 0], 0)", 0, "calcFFT size 0 outside"},
        {"orvex.calcFFT([1, 0], -3)", 0, "calcFFT size -3 outside"},
        {"orvex.calcFFT([1, 0], 4294967297)", 0, "calcFFT size 4.29497e+09 outside"}, // not 1 (2^32 + 1)
        {"orvex.calcPower([1, 0], 1e12)", 0, "calcPower size 1e+12 outside"},
        {"orvex.calcFFT(5, 4)", 0, "not array"},
        {"orvex.calcPower([], 4)", 0, "array empty"},
        {"orvex.calcPower([1, 0, 2, 0, 3], 4)", 4, "ScriptEngine::calcPower vals size is 5"},
        // A huge array with a small size: only what the size needs is read.
        {"orvex.calcFFT(huge, 4)", 8, nullptr},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(call.expression);
        ASSERT_TRUE(run(QStringLiteral("var huge = []; huge.length = 4e9; orvex.alert(%1.length);")
                            .arg(call.expression)));
        EXPECT_EQ(boxTexts().last(), QString::number(call.length));
        if (call.says != nullptr)
            EXPECT_TRUE(log().contains(call.says) || !debugLines(call.says).isEmpty());
    }
}

TEST_F(ScriptTest, AbsurdCaptureAndPlotSizesDoNothing)
{
    const QString script = QStringLiteral(R"(
        orvex.captureSamples(1e12);
        var huge = [];
        huge.length = 4e9;
        var f = orvex.figure();
        orvex.plot(f, huge);
        orvex.alert(f);
    )");
    ASSERT_TRUE(run(script));
    EXPECT_EQ(boxTexts(), QStringList{"1"});
    EXPECT_TRUE(log().contains("captureSamples size 1e+12")) << log().toStdString();
    EXPECT_TRUE(log().contains("ScriptEngine::plot 4000000000 values")) << log().toStdString();
    ASSERT_NE(core()->window(0), nullptr);
    EXPECT_TRUE(core()->window(0)->figure()->itemList(QwtPlotItem::Rtti_PlotCurve).isEmpty());
}

// The timer ---------------------------------------------------------------------

// The timer function runs while the script waits; a name that is not a function
// stops the timer at its first firing, with a debug line and no box.
TEST_F(ScriptTest, TimerCallsItsFunctionWhileTheScriptWaits)
{
    const QString script = QStringLiteral(R"(
        var ticks = 0;
        function tick() { ticks++; }
        orvex.setOnTimer("tick", 10);
        for (var i = 0; i < 1000 && ticks < 3; i++)
            orvex.waitFor(20);
        var counted = ticks;
        orvex.setOnTimer("nothing", 10);
        for (var j = 0; j < 10; j++)
            orvex.waitFor(20);
        orvex.alert(counted + " " + ticks);
    )");
    ASSERT_TRUE(run(script));
    ASSERT_EQ(boxes.seen().size(), 1u);
    const QStringList counts = boxes.seen()[0].text.split(' ');
    EXPECT_GE(counts[0].toInt(), 3);
    EXPECT_EQ(counts[0], counts[1]); // the second function replaced the first
    EXPECT_FALSE(debugLines("not a function").isEmpty());
}

// The function is never called in the middle of the script's own code, only
// from its waits.
TEST_F(ScriptTest, TimerFunctionRunsOnlyInsideWaits)
{
    const QString script = QStringLiteral(R"(
        var calls = 0;
        function tick() { calls++; }
        orvex.setOnTimer("tick", 1);
        var start = new Date().getTime();
        while (new Date().getTime() - start < 300) {}
        var duringLoop = calls;
        orvex.waitFor(0);
        orvex.alert(duringLoop + " " + calls);
    )");
    ASSERT_TRUE(run(script));
    EXPECT_EQ(boxTexts(), QStringList{"0 1"});
}

// A throwing timer function stops its timer, not the script.
TEST_F(ScriptTest, ThrowingTimerFunctionStopsOnlyTheTimer)
{
    const QString script = QStringLiteral(R"(
        var calls = 0;
        function bad() { calls++; throw new Error("in timer"); }
        orvex.setOnTimer("bad", 5);
        for (var i = 0; i < 1000 && calls == 0; i++)
            orvex.waitFor(10);
        for (var j = 0; j < 10; j++)
            orvex.waitFor(10);
        orvex.alert(calls);
    )");
    ASSERT_TRUE(run(script));
    EXPECT_EQ(boxTexts(), QStringList{"1"});
}

// The script object ---------------------------------------------------------------

// The thread's own controls are not the script's: calling them is an error in
// the script (its box), never a killed thread or a deleted engine.
TEST_F(ScriptTest, ThreadControlsAreNotScriptFunctions)
{
    for (const char* call : {"orvex.deleteLater()", "orvex.terminate()", "orvex.quit()", "orvex.start()"}) {
        SCOPED_TRACE(call);
        const size_t before = boxes.seen().size();
        ASSERT_TRUE(run(QString::fromLatin1(call)));
        ASSERT_EQ(boxes.seen().size(), before + 1);
        EXPECT_TRUE(boxes.seen().back().text.startsWith("TypeError"))
            << boxes.seen().back().text.toStdString();
    }
}

// External programs ------------------------------------------------------------

TEST_F(ScriptTest, ExecStartsAProgramAndGoesOn)
{
    const QString target = h.dir.file("made by script");
    ASSERT_TRUE(run(QStringLiteral("orvex.exec('touch \"%1\"'); orvex.alert('went on');").arg(target)));
    EXPECT_TRUE(waitFor([&] { return QFileInfo::exists(target); }));
    EXPECT_EQ(boxTexts(), QStringList{"went on"});
}

TEST_F(ScriptTest, ExecOfAMissingProgramShowsTheCommand)
{
    ASSERT_TRUE(run(QStringLiteral("orvex.exec('/no/such/program --flag'); orvex.alert('went on');")));
    // The two boxes may be open together, and answered in either order.
    EXPECT_THAT(boxTexts(), ::testing::UnorderedElementsAre(
                                "Erreur au lancement de :\n/no/such/program --flag", "went on"));
    for (const ModalResponder::Seen& seen : boxes.seen())
        EXPECT_EQ(seen.title, QString("Orvex"));
}

} // namespace

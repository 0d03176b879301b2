// The receiver panels on an engine that plays a raw-RF recording whose centre
// differs from the receiver's and changes half-way: the engine announces each
// new centre once per channel, the displays follow it, the frequency entry of
// RX B does not drag the channels away meanwhile, and at the end everything
// comes back to the receiver's own centre.
#include "tests/engine/RawRfTestFiles.h"
#include "ui/panels/MainReceiver.h"
#include "ui/panels/SubReceiver.h"
#include "ui/plotter/CPlotter.h"
#include "ui/scanner/SpectumScanner.h"

#include "AttachedEngine.h"
#include "QueuedSpy.h"
#include "WaitFor.h"

#include <QThread>

#include <atomic>
#include <vector>

namespace {

// What the displays showed once an announcement had reached them.
struct Seen
{
    qint64 centre;
    int channel;
    qint64 rxA, scanner, rxB; // the display centres
};

class PlaybackDisplaysTest : public AttachedEngine
{
protected:
    static constexpr qint64 First = Centre - 500000;
    static constexpr qint64 Second = Centre + 300000;

    void SetUp() override
    {
        start();
        rxA.setController(&engine);
        rxB.setController(&engine);
        // Connected after the panels, so each call runs once they have taken
        // the same announcement, and before any later one.
        QObject::connect(
            &engine, &Controller::MSG_ChannelizerIsRetuned, &probe,
            [this](qint64 centre, float, int channel) {
                seen.push_back({centre, channel, rxA.getPlotter()->getCenterFreq(),
                                rxA.getScanner()->getTracker().getCentre(),
                                rxB.getPlotter()->getCenterFreq()});
            },
            Qt::QueuedConnection);
    }
    // The first announcement of centre on channel, or null.
    const Seen* firstAt(qint64 centre, int channel) const
    {
        for (const Seen& s : seen)
            if (s.centre == centre && s.channel == channel)
                return &s;
        return nullptr;
    }
    int countAt(qint64 centre, int channel) const
    {
        int n = 0;
        for (const Seen& s : seen)
            n += s.centre == centre && s.channel == channel ? 1 : 0;
        return n;
    }

    MainReceiver rxA;
    SubReceiver rxB{false};
    QObject probe;
    std::vector<Seen> seen;
};

} // namespace

TEST_F(PlaybackDisplaysTest, TheDisplaysFollowTheRecordingsCentreAndComeBackToTheReceiver)
{
    QByteArray recording;
    for (qint64 centre : {First, First, Second, Second, Second})
        recording += rampBlock(rawHeader(8192, float(Rate), double(centre)));
    writeFile("moved.orvex", recording);

    // What the panels tune against while the recording plays: read on the
    // engine's thread as it announces the second centre.
    std::atomic<qint64> centreWhilePlaying{0};
    QObject::connect(
        &engine, &Controller::MSG_ChannelizerIsRetuned, &probe,
        [&](qint64 centre, float, int channel) {
            if (QThread::currentThread() == &engine && centre == Second && channel == 1)
                centreWhilePlaying = engine.getRxCenterFreq();
        },
        Qt::DirectConnection);
    QueuedSpy stops(&engine, &Controller::MSG_FileReaderStops);
    ASSERT_TRUE(engine.playRFFile("moved.orvex"));
    ASSERT_TRUE(waitFor([&] { return stops.count() == 1; }));
    serveEventsPast(50);

    for (qint64 centre : {First, Second}) {
        // The engine announces a centre once, on both channels (RX B's entry
        // may re-assert its own channel).
        EXPECT_EQ(countAt(centre, 0), 1) << centre;
        const Seen* s = firstAt(centre, 1);
        ASSERT_NE(s, nullptr) << centre;
        EXPECT_EQ(s->rxA, centre);
        EXPECT_EQ(s->scanner, centre);
        EXPECT_EQ(s->rxB, centre) << "RX B stays at offset 0 from the recording's centre";
    }

    EXPECT_EQ(centreWhilePlaying.load(), Second);

    // Back to the receiver, which never moved: displays, RX B and the board file.
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().centre, Centre);
    EXPECT_EQ(rxA.getPlotter()->getCenterFreq(), Centre);
    EXPECT_EQ(rxA.getScanner()->getTracker().getCentre(), Centre);
    EXPECT_EQ(engine.getRxOffset(1), 0);
    EXPECT_EQ(rxB.getPlotter()->getCenterFreq(), Centre);
    EXPECT_EQ(engine.getRxCenterFreq(), Centre);
    EXPECT_EQ(receiver.getRxCenterFreq(), Centre);
    EXPECT_EQ(BoardSettings::readCenter(*BoardSettings::open(&receiver)), Centre);
}

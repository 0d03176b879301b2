// The spectrum downloader against the fake server: lines become levels on the
// format block's scale, centre reports are passed on once per change, and
// stops end within a bound also while the stream is idle.
#include "SealedServer.h"

#include "tests/fixtures/fakeserver/FrameBuilder.h"

#include "hardware/RemoteSpectrumDownloader.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace fakeserver;

namespace {

// Collects the downloader's signals on the GUI thread.
struct Collector : QObject
{
    QList<QVector<double>> lines;
    QList<qlonglong> centres;
    int stopped = 0;

    void watch(RemoteSpectrumDownloader& downloader)
    {
        connect(&downloader, &RemoteSpectrumDownloader::SIG_newSpectrum, this,
                [this](const QVector<double>& f) { lines.append(f); });
        connect(&downloader, &RemoteSpectrumDownloader::SIG_newFrequency, this,
                [this](qlonglong f) { centres.append(f); });
        connect(&downloader, &RemoteSpectrumDownloader::SIG_stopped, this, [this] { ++stopped; });
    }
};

std::string spectrumFrameWithCentre(const std::string& bytes, int64_t marker, int64_t centre)
{
    FrameFields fields;
    fields.type = FrameFields::Spectrum;
    fields.payload = bytes;
    fields.hasTrailer = true;
    fields.trailer.marker = marker;
    fields.trailer.centerHz = centre;
    fields.trailer.rate = 2048000;
    return buildFrame(fields);
}

class RemoteSpectrumDownloaderTest : public ::testing::Test
{
protected:
    SealedServer remote;
    std::string uid = uniqueUid("Wide");
    std::string path = "sources/" + uid + "/spectrum";
    std::unique_ptr<SrvSource> source = remote.makeSource(uid);

    void scriptStream(const std::string& frames)
    {
        StreamScript script;
        script.pieces = splitEvery(frames, 37);
        script.holdOpen = true;
        remote.peer.setStream(path, script);
    }
};

} // namespace

TEST_F(RemoteSpectrumDownloaderTest, LinesBecomeLevelsBetweenTheFormatBlocksMinAndMax)
{
    scriptStream(spectrumFrame(std::string("\x00\xff\x80\x33", 4), -120.0f, -20.0f) +
                 spectrumFrameWithCentre(std::string(3, '\x00'), 1, 145800000));
    RemoteSpectrumDownloader downloader(source.get());
    Collector collector;
    collector.watch(downloader);
    downloader.start();
    ASSERT_TRUE(waitFor([&] { return collector.lines.size() == 2; }));

    const QVector<double>& first = collector.lines[0];
    ASSERT_EQ(first.size(), 4);
    const double expected[] = {-120.0, -20.0, -120.0 + 128.0 / 255.0 * 100.0, -120.0 + 51.0 / 255.0 * 100.0};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(first[i], expected[i], 1e-4) << "value " << i;
    // Later lines keep the scale of the last format block.
    EXPECT_EQ(collector.lines[1], QVector<double>(3, -120.0));
    EXPECT_EQ(collector.centres, QList<qlonglong>{145800000});
    EXPECT_TRUE(remote.peer.requests()[0].sealed);
    EXPECT_EQ(remote.peer.requests()[0].path, path);

    downloader.stopRefresh();
    ASSERT_TRUE(waitFor([&] { return collector.stopped == 1; }, kStopBoundMs));
    EXPECT_TRUE(downloader.isDone());
}

TEST_F(RemoteSpectrumDownloaderTest, AnEmptyLineShowsNothingAndTheLinesAfterItArrive)
{
    scriptStream(spectrumFrame("\x10", -120.0f, -20.0f) + spectrumFrame("", -120.0f, -20.0f) +
                 spectrumFrame("\xff", -120.0f, -20.0f));
    RemoteSpectrumDownloader downloader(source.get());
    Collector collector;
    collector.watch(downloader);
    downloader.start();
    ASSERT_TRUE(waitFor([&] { return collector.lines.size() == 2; }));
    EXPECT_EQ(collector.lines[1], QVector<double>{-20.0});

    downloader.stopRefresh();
    ASSERT_TRUE(waitFor([&] { return collector.stopped == 1; }, kStopBoundMs));
    EXPECT_EQ(collector.lines.size(), 2);
}

TEST_F(RemoteSpectrumDownloaderTest, CentreIsReportedFirstThenOnlyWhenItChanges)
{
    struct Case
    {
        int64_t marker;
        int64_t centre;
        bool reported;
    };
    const Case cases[] = {
        {7, 145800000, true},    // the first context always
        {7, 146000000, false},   // same marker: nothing changed
        {8, 145800000, false},   // new marker (position or azimuth), same centre
        {9, 3000000000LL, true}, // beyond 2^31 Hz, kept whole
        {10, 3000000000LL, false},
    };
    RemoteSpectrumDownloader downloader(nullptr);
    QSignalSpy spy(&downloader, &RemoteSpectrumDownloader::SIG_newFrequency);
    for (const Case& c : cases) {
        remote_rf_context context{};
        context.marker = c.marker;
        context.rx_center = c.centre;
        const int before = spy.count();
        downloader.remoteCenterFreqChanged(&context);
        ASSERT_EQ(spy.count(), before + (c.reported ? 1 : 0)) << "marker " << c.marker;
        if (c.reported)
            EXPECT_EQ(spy.last().at(0).toLongLong(), c.centre);
    }
}

TEST_F(RemoteSpectrumDownloaderTest, StopWhileTheStreamIsIdleEndsWithinABound)
{
    scriptStream(spectrumFrame(std::string(16, '\x40'), -100.0f, 0.0f));
    RemoteSpectrumDownloader downloader(source.get());
    Collector collector;
    collector.watch(downloader);
    downloader.start();
    ASSERT_TRUE(waitFor([&] { return collector.lines.size() == 1; }));

    const qint64 ms = elapsedMs([&] {
        downloader.stopRefresh();
        EXPECT_TRUE(waitFor([&] { return collector.stopped == 1; }, kStopBoundMs));
    });
    EXPECT_LT(ms, kStopBoundMs);
    EXPECT_TRUE(downloader.wait(kStopBoundMs));
    EXPECT_TRUE(waitFor([&] { return remote.peer.openStreamCount(path) == 0; }, kStopBoundMs));
}

TEST_F(RemoteSpectrumDownloaderTest, DestructionRightAfterStartIsBounded)
{
    scriptStream("");
    auto downloader = std::make_unique<RemoteSpectrumDownloader>(source.get());
    downloader->start();
    // The stop may come before the thread has even begun: it must still hold.
    EXPECT_LT(elapsedMs([&] { downloader.reset(); }), kStopBoundMs);
}

TEST_F(RemoteSpectrumDownloaderTest, WithoutSourceTheThreadEndsAtOnceAndReportsNothing)
{
    RemoteSpectrumDownloader downloader(nullptr);
    Collector collector;
    collector.watch(downloader);
    downloader.start();
    ASSERT_TRUE(downloader.wait(kStopBoundMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(collector.stopped, 0);
    EXPECT_TRUE(downloader.isDone());
    EXPECT_TRUE(remote.peer.requests().empty());
}

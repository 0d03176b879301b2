// The remote spectrum view: its plotter set up from the server's source, the
// stream started and stopped by its buttons into the plotted line, spots as
// bookmarks, retunes followed, and a bounded end while the stream idles.
#include "tests/hardware/SealedServer.h"
#include "ThreadGate.h"
#include "WidgetLookup.h"

#include "tests/fixtures/fakeserver/FrameBuilder.h"

#include "hardware/RemoteSpectrumDownloader.h"
#include "lists/Bookmarks.h"
#include "ui/plotter/CPlotter.h"
#include "ui/remoteui/RemoteSpectrumView.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace fakeserver;

namespace {

// A view whose next stream's thread can be held before it begins.
class GatedView : public RemoteSpectrumView
{
public:
    ThreadGate* holdNext = nullptr;
    RemoteSpectrumDownloader* last = nullptr;

protected:
    RemoteSpectrumDownloader* makeDownloader(SrvSource* source) override
    {
        last = RemoteSpectrumView::makeDownloader(source);
        if (ThreadGate* gate = holdNext)
            connect(last, &QThread::started, [gate] { gate->pass(); });
        holdNext = nullptr;
        return last;
    }
};

class RemoteSpectrumViewTest : public ::testing::Test
{
protected:
    SealedServer remote;
    std::string uid = uniqueUid("Wide");
    std::string path = "sources/" + uid + "/spectrum";
    RemoteSpectrumView view;

    void TearDown() override
    {
        // The bookmark store is shared by the whole process: leave it as found.
        Bookmarks::instance()->removeUnlinkedInRange(0, 4000000000LL);
    }

    QPushButton* button(const QString& text) { return buttonWithText(view, text); }
    void show()
    {
        view.resize(600, 440);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    void scriptStream(const std::vector<std::string>& frames, int paceMs = 0)
    {
        StreamScript script;
        script.pieces = frames;
        script.paceMs = paceMs;
        script.holdOpen = true;
        remote.peer.setStream(path, script);
    }
};

} // namespace

TEST_F(RemoteSpectrumViewTest, StartsOnOneMegahertzWithItsOwnScaleAndOnlyStartEnabled)
{
    CPlotter* p = view.plotter();
    EXPECT_EQ(p->getCenterFreq(), 1000000);
    EXPECT_EQ(p->getDemodFreq(), 1000000);
    EXPECT_EQ(p->getSpan(), 16000);
    EXPECT_EQ(p->getLowCut(), 0); // unclamped: the plotter's own limits would refuse 0
    EXPECT_EQ(p->getHighCut(), 2800);
    EXPECT_EQ(p->getMinDb(), -140);
    EXPECT_EQ(p->getMaxDb(), -60);
    ASSERT_NE(button(">"), nullptr);
    ASSERT_NE(button("!"), nullptr);
    EXPECT_TRUE(button(">")->isEnabled());
    EXPECT_FALSE(button("!")->isEnabled());
}

TEST_F(RemoteSpectrumViewTest, SourceSetsCentreSpanRateAndTheChannelsPassband)
{
    struct Case
    {
        const char* rate;
        int channelRate;
        int span;
        double sampleRate;
        int low, high;
    };
    const Case cases[] = {
        {"2048000", 48000, 2048000, 2048000, -24000, 24000},
        {"8000", 48000, 16000, 8000, -24000, 24000}, // too narrow to span
        {"0", 96000, 16000, 96000, -25000, 25000},   // no rate: the plotter's defaults; edges clamped
    };
    for (const Case& c : cases) {
        RemoteSpectrumView fresh;
        auto source = remote.makeSource(uniqueUid("Src"), c.rate, "145.8");
        QSignalSpy spans(fresh.plotter(), &CPlotter::newSpan);
        fresh.setSource(source.get(), c.channelRate);
        CPlotter* p = fresh.plotter();
        EXPECT_EQ(p->getCenterFreq(), 145800000) << c.rate;
        EXPECT_EQ(p->getDemodFreq(), 145800000) << c.rate;
        EXPECT_EQ(p->getSpan(), c.span) << c.rate;
        ASSERT_FALSE(spans.isEmpty());
        EXPECT_EQ(spans.first().at(0).toInt(), c.span) << c.rate;
        EXPECT_EQ(p->getSampleRate(), c.sampleRate) << c.rate;
        EXPECT_EQ(p->getLowCut(), c.low) << c.rate;
        EXPECT_EQ(p->getHighCut(), c.high) << c.rate;
    }
}

TEST_F(RemoteSpectrumViewTest, ASourceChosenFromAListIsShownWithATwentyKilohertzPassband)
{
    auto wide = remote.makeSource(uniqueUid("Wide"), "2048000", "145.8");
    auto other = remote.makeSource(uniqueUid("Other"), "1024000", "433.5");
    QComboBox list;
    list.addItem("wide", QVariant::fromValue(wide.get()));
    list.addItem("none");
    list.addItem("other", QVariant::fromValue(other.get()));
    view.setSourceList(&list);

    emit list.activated(2);
    CPlotter* p = view.plotter();
    EXPECT_EQ(p->getCenterFreq(), 433500000);
    EXPECT_EQ(p->getSampleRate(), 1024000);
    EXPECT_EQ(p->getLowCut(), -10000);
    EXPECT_EQ(p->getHighCut(), 10000);

    emit list.activated(1); // an entry without a source changes nothing
    EXPECT_EQ(p->getCenterFreq(), 433500000);
    emit list.activated(0);
    EXPECT_EQ(p->getCenterFreq(), 145800000);

    view.setSourceList(nullptr); // detached: the list no longer steers the view
    emit list.activated(2);
    EXPECT_EQ(p->getCenterFreq(), 145800000);
}

TEST_F(RemoteSpectrumViewTest, StreamedLinesArePlottedOnTheFormatBlocksLevels)
{
    show();
    auto source = remote.makeSource(uid, "2048000", "145.5");
    view.setSource(source.get(), 48000);
    // 0 and 255 are the format block's min and max: -130 and -70 dB.
    std::string bytes = std::string(1024, '\x00') + std::string(1024, '\xff');
    scriptStream({spectrumFrame(bytes, -130.0f, -70.0f)});

    QTest::mouseClick(button(">"), Qt::LeftButton);
    EXPECT_FALSE(button(">")->isEnabled());
    EXPECT_TRUE(button("!")->isEnabled());
    ASSERT_TRUE(remote.peer.waitForOpenStream(path, kWaitBoundMs));

    // The same line handed straight to a plotter set up like the view's.
    CPlotter reference;
    reference.resize(view.plotter()->size());
    reference.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&reference));
    reference.setCenterFreq(145500000);
    reference.setSpan(2048000);
    reference.setSampleRate(2048000);
    reference.setCutsUnchecked(-24000, 24000);
    reference.setMinDb(-140);
    reference.setMaxDb(-60);
    QVector<double> line(2048, -130.0);
    std::fill(line.begin() + 1024, line.end(), -70.0);
    reference.setNewSpectrum(line.constData(), line.size());
    const QImage expected = reference.grab().toImage();

    ASSERT_TRUE(waitFor([&] { return view.plotter()->grab().toImage() == expected; }));

    QTest::mouseClick(button("!"), Qt::LeftButton);
    EXPECT_FALSE(button("!")->isEnabled());
    EXPECT_TRUE(waitFor([&] { return button(">")->isEnabled(); }, kStopBoundMs));
    EXPECT_EQ(remote.peer.countPath(path), 1);
}

TEST_F(RemoteSpectrumViewTest, PressingStartTwiceRetiresTheFirstStream)
{
    auto source = remote.makeSource(uid, "2048000", "145.5");
    view.setSource(source.get(), 48000);
    scriptStream({spectrumFrame(std::string(64, '\x10'), -130.0f, -70.0f)});
    QMetaObject::invokeMethod(&view, "SLOT_startSource");
    ASSERT_TRUE(remote.peer.waitForOpenStream(path, kWaitBoundMs));
    QMetaObject::invokeMethod(&view, "SLOT_startSource");
    ASSERT_TRUE(waitFor([&] { return remote.peer.countPath(path) == 2; }));
    // The first transfer has ended; only the second one is open.
    EXPECT_TRUE(waitFor([&] { return remote.peer.openStreamCount(path) == 1; }, kStopBoundMs));
    // A late report of the retired stream does not stop the running one.
    QMetaObject::invokeMethod(&view, "SLOT_stopped");
    EXPECT_TRUE(button("!")->isEnabled());
    EXPECT_FALSE(button(">")->isEnabled());
}

// "!" then ">" at once: the first stream's stop report is still queued when
// the second stream starts, and reaches the view before the second stream's
// thread has begun. It is about the first stream only.
TEST_F(RemoteSpectrumViewTest, AStopReportOfTheRetiredStreamLeavesTheNewOneRunning)
{
    GatedView gated;
    auto source = remote.makeSource(uid, "2048000", "145.5");
    gated.setSource(source.get(), 48000);
    scriptStream({spectrumFrame(std::string(64, '\x10'), -130.0f, -70.0f)});
    QMetaObject::invokeMethod(&gated, "SLOT_startSource");
    ASSERT_TRUE(remote.peer.waitForOpenStream(path, kWaitBoundMs));

    QMetaObject::invokeMethod(&gated, "SLOT_stopSource");
    // Its thread reports the stop and ends; no event is served meanwhile.
    ASSERT_TRUE(gated.last->wait(kWaitBoundMs));
    ThreadGate gate;
    gated.holdNext = &gate;
    QMetaObject::invokeMethod(&gated, "SLOT_startSource");
    ASSERT_TRUE(waitFor([&] { return gate.held() == 1; })); // the late report is served here
    EXPECT_TRUE(serveEventsPast(50));
    QPushButton* start = buttonWithText(gated, ">");
    QPushButton* stop = buttonWithText(gated, "!");
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_FALSE(start->isEnabled());

    gate.open();
    EXPECT_TRUE(
        waitFor([&] { return remote.peer.countPath(path) == 2 && remote.peer.openStreamCount(path) == 1; }));
    // Its own report still ends it.
    QMetaObject::invokeMethod(&gated, "SLOT_stopSource");
    EXPECT_TRUE(waitFor([&] { return start->isEnabled(); }, kStopBoundMs));
    EXPECT_FALSE(stop->isEnabled());
}

TEST_F(RemoteSpectrumViewTest, ClosingTheViewWhileTheStreamIdlesIsBounded)
{
    auto owned = std::make_unique<RemoteSpectrumView>();
    auto source = remote.makeSource(uid, "2048000", "145.5");
    owned->setSource(source.get(), 48000);
    scriptStream({});
    QMetaObject::invokeMethod(owned.get(), "SLOT_startSource");
    ASSERT_TRUE(remote.peer.waitForOpenStream(path, kWaitBoundMs));
    EXPECT_LT(elapsedMs([&] { owned.reset(); }), kStopBoundMs);
    EXPECT_TRUE(waitFor([&] { return remote.peer.openStreamCount(path) == 0; }, kStopBoundMs));
}

TEST_F(RemoteSpectrumViewTest, CentreReportsMoveThePlotterAndAskTheEngineToKeepOffsets)
{
    auto source = remote.makeSource(uid, "2048000", "145.5");
    view.setSource(source.get(), 48000);
    FrameFields fields;
    fields.type = FrameFields::Spectrum;
    fields.payload = std::string(64, '\x10');
    fields.hasTrailer = true;
    fields.trailer.marker = 3;
    fields.trailer.centerHz = 2400000000LL;
    scriptStream({spectrumFrame(std::string(64, '\x10'), -130.0f, -70.0f), buildFrame(fields)});
    QSignalSpy moved(&view, &RemoteSpectrumView::remoteCentreMoved);
    QMetaObject::invokeMethod(&view, "SLOT_startSource");
    ASSERT_TRUE(waitFor([&] { return moved.count() == 1; }));
    EXPECT_EQ(moved.first().at(0).toLongLong(), 2400000000LL);
    EXPECT_EQ(moved.first().at(1).toInt(), 0);
    EXPECT_EQ(view.plotter()->getCenterFreq(), 2400000000LL);
    EXPECT_EQ(view.plotter()->getDemodFreq(), 2400000000LL);
}

TEST_F(RemoteSpectrumViewTest, RetunesOfRxAOnlyRecentreThePlotterQuietly)
{
    QSignalSpy centres(view.plotter(), &CPlotter::newCenterFreq);
    view.SLOT_ChannelizerIsRetuned(145000000, 1000.0f, 1);
    EXPECT_EQ(view.plotter()->getCenterFreq(), 1000000);
    view.plotter()->setFftCenterOffset(5000);
    view.SLOT_ChannelizerIsRetuned(145000000, 1000.0f, 0);
    EXPECT_EQ(view.plotter()->getCenterFreq(), 145000000);
    EXPECT_EQ(view.plotter()->getDemodFreq(), 145000000);
    EXPECT_EQ(view.plotter()->getFftCenterOffset(), 0);
    EXPECT_TRUE(centres.isEmpty());
}

TEST_F(RemoteSpectrumViewTest, SpotsBecomeLimeBookmarksOncePerNameAndAreDrawn)
{
    show();
    auto source = remote.makeSource(uid, "2048000", "145.5");
    view.setSource(source.get(), 48000);
    const int before = Bookmarks::instance()->count();
    auto spot = [&](const QString& name, double mhz) {
        QMetaObject::invokeMethod(&view, "SLOT_VantorSpot", Q_ARG(QString, name), Q_ARG(double, 48.0),
                                  Q_ARG(double, -1.5), Q_ARG(double, mhz), Q_ARG(int, 30));
    };
    spot("ALPHA", 145.525);
    spot("ALPHA", 145.900); // known name: keeps its first frequency
    spot("BRAVO", 145.001); // rounded, not truncated
    ASSERT_EQ(Bookmarks::instance()->count(), before + 2);
    const BookmarkEntry alpha = view.spots().value("ALPHA");
    EXPECT_EQ(alpha.frequency, 145525000);
    EXPECT_EQ(alpha.modulation, "AM");
    EXPECT_EQ(alpha.bandwidth, 10);
    EXPECT_EQ(alpha.color(), QColor("lime"));
    EXPECT_EQ(view.spots().value("BRAVO").frequency, 145001000);
    QList<BookmarkEntry> stored = Bookmarks::instance()->bookmarksInRange(145525000, 145525000, -1);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored.first().name, "ALPHA");

    QList<qint64> drawn;
    for (const TagArea& tag : view.plotter()->getTagAreas())
        drawn.append(tag.frequency);
    EXPECT_TRUE(drawn.contains(145525000));
    EXPECT_TRUE(drawn.contains(145001000));
}

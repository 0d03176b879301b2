// The terrain profile along the antenna's direction, read from generated tiles
// whose height is the sample column (rising eastwards, 1 m per sample).
#include "DebugCapture.h"
#include "SrtmTestTiles.h"
#include "TempWorkDir.h"
#include "WaitFor.h"
#include "map/terrain/SRTMReader.h"
#include "map/terrain/SrtmTile.h"
#include "mappanel/TerrainProfile.h"
#include "mappanel/TerrainProfileWorker.h"
#include "map/geo/GeoTools.h"
#include "map/terrain/TerrainGrid.h"

#include <GeographicLib/Geodesic.hpp>
#include <QDir>
#include <cmath>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Station in tile N45E006, 0.1 degree from its west edge.
const Position Station(6.1, 45.5);

class TerrainProfileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(work.file("DEM")));
        ASSERT_TRUE(SrtmTestTiles::write(work.file("DEM/N45E006.hgt"),
                                         [](int, int column) { return qint16(column); }));
    }
    // The ramp's height at the point reached from the station.
    static double expectedHeight(double azimuthDeg, double distanceM)
    {
        double lat = 0, lon = 0;
        GeographicLib::Geodesic::WGS84().Direct(Station.latitude(), Station.longitude(), azimuthDeg, distanceM,
                                                lat, lon);
        return (lon - 6.0) * 1200.0;
    }

    TempWorkDir work;
};

} // namespace

TEST_F(TerrainProfileTest, EastwardsThePointsRunEvery200MetresUpTo49_8Kilometres)
{
    SRTMReader reader(work.file("DEM"));
    const TerrainProfile profile = TerrainProfile::compute(reader, Station, 90.0, 50000.0);
    ASSERT_EQ(profile.distancesKm.size(), 249);
    ASSERT_EQ(profile.heights.size(), 249);
    for (int i = 0; i < 249; ++i) {
        EXPECT_DOUBLE_EQ(profile.distancesKm[i], 0.2 * (i + 1)) << i;
        EXPECT_NEAR(profile.heights[i], expectedHeight(90.0, 200.0 * (i + 1)), 2.0) << i;
    }
    EXPECT_EQ(profile.low, profile.heights.first());
    EXPECT_EQ(profile.high, profile.heights.last());
    EXPECT_GT(profile.high - profile.low, 700.0); // about 0.64 degree of longitude
}

TEST_F(TerrainProfileTest, PointsOnAMissingTileReadMinusOne)
{
    // Westwards the line leaves the tile after about 8 km.
    SRTMReader reader(work.file("DEM"));
    const TerrainProfile profile = TerrainProfile::compute(reader, Station, 270.0, 50000.0);
    ASSERT_EQ(profile.heights.size(), 249);
    EXPECT_NEAR(profile.heights.first(), expectedHeight(270.0, 200.0), 2.0);
    EXPECT_EQ(profile.heights.last(), -1.0);
    EXPECT_EQ(profile.low, -1.0);
}

TEST_F(TerrainProfileTest, AProfileNoLongerThanOneStepHasNoPoints)
{
    SRTMReader reader(work.file("DEM"));
    for (double range : {0.0, 200.0, -5.0}) {
        const TerrainProfile profile = TerrainProfile::compute(reader, Station, 90.0, range);
        EXPECT_TRUE(profile.heights.isEmpty()) << range;
        EXPECT_EQ(profile.low, 4810.0);
        EXPECT_EQ(profile.high, 0.0);
    }
    // 201 m: one point at 200 m.
    EXPECT_EQ(TerrainProfile::compute(reader, Station, 90.0, 201.0).heights.size(), 1);
}

namespace {

// The worker's answers, as they reach this thread.
struct ProfileAnswers
{
    explicit ProfileAnswers(TerrainProfileWorker& worker)
    {
        QObject::connect(&worker, &TerrainProfileWorker::SIG_profileReady, &worker,
                         [this](const TerrainProfile& profile) {
                             last = profile;
                             ++count;
                         });
    }
    int count = 0;
    TerrainProfile last;
};

} // namespace

TEST_F(TerrainProfileTest, TheWorkerAnswersOutsideTheCallingThreadWithTheLatestRequest)
{
    GeoTools::instance().setDemPath(work.file("DEM"));
    TerrainGrid grid([] { return Station; }, 1000.0);
    TerrainProfileWorker worker;
    ProfileAnswers answers(worker);
    // A burst (a knob being turned): the last request is always answered.
    for (int azimuth = 0; azimuth <= 90; azimuth += 10)
        worker.request(Station, azimuth, 50000.0, &grid);
    const double farEast = expectedHeight(90.0, 49800.0);
    ASSERT_TRUE(waitFor([&] {
        return answers.last.heights.size() == 249 && std::abs(answers.last.heights.last() - farEast) < 2.0;
    }));
    EXPECT_LE(answers.count, 10);
}

// The profile reads the grid it is given: the grid's tiles are loaded (once,
// by the worker's thread) and those the profile reads stay in its reader.
TEST_F(TerrainProfileTest, TheWorkerReadsTheGridAndLoadsItsTilesFirst)
{
    ASSERT_TRUE(SrtmTestTiles::write(work.file("DEM/N43E004.hgt"))); // two degrees away: off every profile
    GeoTools::instance().setDemPath(work.file("DEM"));
    TerrainGrid grid([] { return Station; }, 1000.0);
    TerrainProfileWorker worker;
    ProfileAnswers answers(worker);
    worker.request(Station, 90.0, 50000.0, &grid);
    ASSERT_TRUE(waitFor([&] { return answers.count == 1; }));
    EXPECT_EQ(answers.last.heights.size(), 249);
    EXPECT_NEAR(answers.last.heights.first(), expectedHeight(90.0, 200.0), 2.0);
    TerrainGrid::ReaderAccess reader = grid.lockReader();
    EXPECT_TRUE(reader->hasTile("N43E004.hgt"));
    EXPECT_TRUE(reader->hasTile("N45E006.hgt"));
}

TEST_F(TerrainProfileTest, WithoutAGridTheProfileHasNoPoints)
{
    TerrainProfileWorker worker;
    ProfileAnswers answers(worker);
    worker.request(Station, 90.0, 50000.0, nullptr);
    ASSERT_TRUE(waitFor([&] { return answers.count == 1; }));
    EXPECT_TRUE(answers.last.heights.isEmpty());
    EXPECT_EQ(answers.last.rangeM, 50000.0);
}

namespace {

// A tile the profile thread is held at as it opens it: a named pipe, whose
// opening for reading waits for a writer. Letting the thread through opens it
// for writing, which succeeds only while a reader is there.
class HeldTile
{
public:
    explicit HeldTile(const QString& path) : m_path(path.toStdString())
    {
        made = ::mkfifo(m_path.c_str(), 0600) == 0;
    }
    ~HeldTile()
    {
        if (m_writer >= 0)
            ::close(m_writer);
    }
    // Waits until the thread is at the tile, and lets it through (it then reads
    // no tile there: a pipe has not the size of one).
    bool letThrough()
    {
        // Opened once: waitFor asks again after its last turn, when the thread
        // may have gone past the tile and a second opening would find no reader.
        return waitFor([this] {
            if (m_writer < 0)
                m_writer = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
            return m_writer >= 0;
        });
    }

    bool made = false;

private:
    std::string m_path;
    int m_writer = -1;
};

} // namespace

// A worker that goes while its thread is held in its reads does not wait for
// it beyond its bound, and leaves it everything it uses: the thread ends by
// itself once it comes back, and is released.
TEST_F(TerrainProfileTest, AWorkerGoingWhileItsThreadIsHeldLeavesItWhatItUses)
{
    ASSERT_TRUE(QDir().mkpath(work.file("HELD")));
    // Westwards the profile reads the station's tile, then the one west of it.
    HeldTile station(work.file("HELD/" + SrtmTile::name(45.5, 6.1)));
    HeldTile west(work.file("HELD/" + SrtmTile::name(45.5, 5.9)));
    ASSERT_TRUE(station.made && west.made);
    GeoTools::instance().setDemPath(work.file("HELD"));
    // The grid is made for a centre far from the station, so that the tiles it
    // loads first are none of the held ones.
    TerrainGrid grid([] { return Position(60.5, 10.5); }, 1000.0);
    DebugCapture debug;
    auto worker = std::make_unique<TerrainProfileWorker>(100);
    worker->request(Station, 270.0, 50000.0, &grid);
    // Past the station's tile, the thread is in the profile and will be held at the next.
    ASSERT_TRUE(station.letThrough());

    worker.reset();
    EXPECT_TRUE(debug.contains("the profile thread did not end within 100 ms"));
    ASSERT_TRUE(west.letThrough());
    EXPECT_TRUE(waitFor([&] { return debug.contains("the profile thread ended late"); }));
}

// The aircraft map item: when it is offered to the map, where it stands, when
// it reports a change, what it logs and how it draws the aircraft.
#include "decoders/adsb/QPlaneWrapper.h"
#include "TempWorkDir.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstring>

namespace {

aircraft record(bool positioned, double lat = 48.5, double lon = 2.25, int altitude = 35000, int track = 0)
{
    aircraft a;
    std::memset(&a, 0, sizeof a);
    a.address = 0x3c6586;
    std::strcpy(a.addressText, "3c6586");
    std::strcpy(a.flight, "DLH4AB");
    a.hasPosition = positioned;
    a.latitude = positioned ? lat : 0.0;
    a.longitude = positioned ? lon : 0.0;
    a.altitude = altitude;
    a.track = track;
    return a;
}

TEST(QPlaneWrapper, EntersTheMapOnceItHasAPosition)
{
    TempWorkDir dir;
    QPlaneWrapper plane;
    EXPECT_TRUE(plane.sizeIsZoomInvariant());
    EXPECT_TRUE(plane.isVisible());
    EXPECT_EQ(plane.boundingRect(), QRectF(-100, -100, 200, 200));

    const aircraft unplaced = record(false);
    EXPECT_TRUE(plane.updateAircraft(&unplaced)); // the first record is a change
    EXPECT_TRUE(plane.hasRecord());
    EXPECT_FALSE(plane.pendingAdd);
    plane.writeTrackLine();
    EXPECT_FALSE(QFile::exists(AircraftTrack::LogFile));

    const aircraft placed = record(true, 48.5, 2.25);
    EXPECT_TRUE(plane.updateAircraft(&placed));
    EXPECT_TRUE(plane.pendingAdd);
    EXPECT_EQ(plane.pos(), QPointF(2.25, 48.5));
    plane.writeTrackLine();
    QFile log(AircraftTrack::LogFile);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains(";3c6586;DLH4AB;48.500000;2.250000;35000;"));

    plane.pendingAdd = false; // the map took it
    const aircraft moved = record(true, 48.6, 2.25);
    EXPECT_TRUE(plane.updateAircraft(&moved));
    EXPECT_FALSE(plane.pendingAdd);
    EXPECT_EQ(plane.pos(), QPointF(2.25, 48.6));
}

struct StepCase
{
    const char* label;
    double dLat;
    int dAltitude;
    bool changed;
};

class StepTest : public ::testing::TestWithParam<StepCase>
{
};

TEST_P(StepTest, ReportsOnlyChangesAboveTheSteps)
{
    const StepCase& c = GetParam();
    QPlaneWrapper plane;
    const aircraft first = record(true, 48.5, 2.25, 35000);
    plane.setAircraft(&first);
    const aircraft next = record(true, 48.5 + c.dLat, 2.25, 35000 + c.dAltitude);
    EXPECT_EQ(plane.updateAircraft(&next), c.changed);
}

INSTANTIATE_TEST_SUITE_P(Steps, StepTest,
                         ::testing::Values(StepCase{"still", 0.0, 0, false},
                                           StepCase{"small_move", 0.9e-5, 0, false},
                                           StepCase{"move", 2e-5, 0, true},
                                           StepCase{"small_climb", 0.0, 10, false},
                                           StepCase{"climb", 0.0, 11, true},
                                           StepCase{"descent", 0.0, -11, true}),
                         [](const ::testing::TestParamInfo<StepCase>& info) {
                             return std::string(info.param.label);
                         });

TEST(QPlaneWrapper, FollowsTheTracksTheReceiverAnnounces)
{
    QPlaneWrapper plane;
    plane.setTrack(AircraftTrack(record(true, 50.0, 8.5)));
    EXPECT_TRUE(plane.pendingAdd);
    EXPECT_EQ(plane.pos(), QPointF(8.5, 50.0));
    EXPECT_TRUE(plane.updateTrack(AircraftTrack(record(true, 50.1, 8.5))));
    EXPECT_EQ(plane.pos(), QPointF(8.5, 50.1));
    EXPECT_EQ(plane.track().flight(), "DLH4AB");
}

QImage paintAt(QPlaneWrapper& plane)
{
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    // North up, as the map draws its objects.
    painter.translate(100, 100);
    painter.scale(1, -1);
    plane.paint(&painter, nullptr);
    return image;
}

// The symbol's green fill, give or take the smoothing of its edge.
bool isFill(const QImage& image, int x, int y)
{
    const QColor c = image.pixelColor(x, y);
    return c.green() > 150 && c.red() < 100 && c.blue() < 100;
}

TEST(QPlaneWrapper, DrawsAnOvalAlongItsTrack)
{
    QPlaneWrapper plane;
    EXPECT_EQ(paintAt(plane), [] {
        QImage blank(200, 200, QImage::Format_RGB32);
        blank.fill(Qt::white);
        return blank;
    }()); // nothing without a record

    const aircraft north = record(true, 48.5, 2.25, 35000, 0);
    plane.setAircraft(&north);
    QImage image = paintAt(plane);
    EXPECT_TRUE(isFill(image, 100, 94)); // long along the track
    EXPECT_FALSE(isFill(image, 106, 100)); // narrow across

    const aircraft east = record(true, 48.5, 2.25, 35000, 90);
    plane.updateAircraft(&east);
    image = paintAt(plane);
    EXPECT_TRUE(isFill(image, 106, 100));
    EXPECT_FALSE(isFill(image, 100, 94));

    // Two text lines below the symbol, upright whatever the track.
    int darkRows = 0;
    for (int y = 110; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if (qGray(image.pixel(x, y)) < 100) {
                ++darkRows;
                break;
            }
    EXPECT_GT(darkRows, 15);
}

} // namespace

#include "DebugCapture.h"
#include "TempWorkDir.h"
#include "WaitFor.h"
#include "core/AntennaSystem.h"
#include "map/geo/GeoTools.h"
#include "mappanel/AntennaMapObject.h"
#include "mappanel/BeaconMapObject.h"

#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QSettings>
#include <QSignalSpy>
#include <QTextDocument>
#include <QtMath>
#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int Side = 800;
const QPoint Centre(Side / 2, Side / 2);

// Paints a pixel-sized object as the map's graphics item does: origin at the
// object's position, y axis flipped so that it points north.
QImage render(MapGraphicsObject& object)
{
    QImage image(Side, Side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(Centre);
    painter.scale(1, -1);
    object.paint(&painter, nullptr, nullptr);
    return image;
}

// Whether anything is drawn within a pixel of the point.
bool drawnNear(const QImage& image, QPointF p)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (qAlpha(image.pixel(int(std::lround(p.x())) + dx, int(std::lround(p.y())) + dy)) > 0)
                return true;
    return false;
}

// Screen point at a bearing (clockwise from north, north up) and a distance from the centre.
QPointF atBearing(double bearingDeg, double distancePx)
{
    const double b = qDegreesToRadians(bearingDeg);
    return QPointF(Centre.x() + distancePx * std::sin(b), Centre.y() - distancePx * std::cos(b));
}

// Whether any pixel of the rectangle is dark (text is drawn black).
bool hasDarkPixel(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) > 100 && qGray(p) < 100)
                return true;
        }
    return false;
}

QImage crop(const QImage& image, const QRect& area)
{
    return image.copy(area);
}

class BeaconMapObjectTest : public ::testing::Test
{
protected:
    BeaconMapObjectTest()
    {
        row.CALLSIGN = "F5ZXR";
        row.FREQ = 144412000;
        row.latitude = 45.25;
        row.longitude = 5.75;
    }
    dbBeacon row;
};

// The text lines of a beacon stand below the disc, one font line apart.
struct TextLines
{
    int height;
    int firstBaseline;
    int lineBaseline(int index) const { return firstBaseline + index * (1 + height); }
    QRect band(int index) const
    {
        return QRect(Centre.x() - 6, Centre.y() + lineBaseline(index) - height + 2, 80, height - 2);
    }
};

TextLines beaconLines()
{
    QImage probe(4, 4, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&probe);
    painter.setFont(QFont("Arial", 8));
    const int h = painter.fontMetrics().height();
    return {h, int(h + 6.0 + 2)};
}

// Antenna tests read the beam width written here; the antenna service reads it
// once per process, at its first use.
class AntennaMapObjectTest : public ::testing::Test
{
protected:
    AntennaMapObjectTest()
    {
        QSettings(work.file("conf/vantor-sdr.conf"), QSettings::IniFormat).setValue("Antenna/beamwidth", 30);
    }
    TempWorkDir work;
};

} // namespace

TEST_F(BeaconMapObjectTest, IsBornHiddenSelectableAtItsRowOnTop)
{
    BeaconMapObject beacon(&row, Qt::yellow);
    EXPECT_FALSE(beacon.isVisible());
    EXPECT_TRUE(beacon.sizeIsZoomInvariant());
    EXPECT_TRUE(beacon.flags() & MapGraphicsObject::MapObjectSelectable);
    EXPECT_EQ(beacon.pos(), QPointF(5.75, 45.25));
    EXPECT_EQ(beacon.toolTip(), "F5ZXR");
    EXPECT_EQ(beacon.zValue(), 99.0);
    EXPECT_EQ(beacon.boundingRect(), QRectF(-40, -40, 90, 90));
    EXPECT_EQ(beacon.row(), &row);
}

TEST_F(BeaconMapObjectTest, ToolTipShowsARemoteNameAsItStands)
{
    // What a tool tip shows: Qt's automatic choice between plain and rich text.
    const auto shown = [](const QString& tip) {
        if (!Qt::mightBeRichText(tip))
            return tip;
        QTextDocument document;
        document.setHtml(tip);
        return document.toPlainText();
    };
    const char* const names[] = {
        "F5ZXR", "<b>F4ABC</b>", "<a href='http://example.org'>spot</a>", "<img src='x.png'>",
        "A&B",   "a &lt; b",     "<qt>x",                                  "<!DOCTYPE html><p>x</p>",
    };
    for (const char* name : names) {
        row.CALLSIGN = name;
        BeaconMapObject beacon(&row, Qt::yellow);
        EXPECT_EQ(shown(beacon.toolTip()), QString(name)) << beacon.toolTip().toStdString();
    }
}

TEST_F(BeaconMapObjectTest, OnlyAVisibleBeaconReportsItsSelection)
{
    BeaconMapObject beacon(&row, Qt::yellow);
    QSignalSpy selected(&beacon, &BeaconMapObject::SIG_BeaconSelected);
    DebugCapture debug;

    emit beacon.SIG_isSelected();
    EXPECT_EQ(selected.count(), 0);
    EXPECT_FALSE(debug.contains("beacon selected"));

    beacon.setVisible(true);
    emit beacon.SIG_isSelected();
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).value<dbBeacon*>(), &row);
    EXPECT_EQ(selected.at(0).at(1).toLongLong(), 144412000);
    EXPECT_TRUE(debug.contains("beacon selected "));
}

TEST_F(BeaconMapObjectTest, SelectionCrossesAQueuedConnection)
{
    // The map panel takes the report through a queued connection.
    BeaconMapObject beacon(&row, Qt::yellow);
    beacon.setVisible(true);
    dbBeacon* got = nullptr;
    qlonglong gotFreq = 0;
    QObject receiver;
    QObject::connect(
        &beacon, &BeaconMapObject::SIG_BeaconSelected, &receiver,
        [&](dbBeacon* b, qlonglong f) {
            got = b;
            gotFreq = f;
        },
        Qt::QueuedConnection);
    emit beacon.SIG_isSelected();
    QCoreApplication::processEvents();
    EXPECT_EQ(got, &row);
    EXPECT_EQ(gotFreq, 144412000);
}

TEST_F(BeaconMapObjectTest, KeyReleaseIsLeftToTheMap)
{
    struct Open : BeaconMapObject
    {
        using BeaconMapObject::BeaconMapObject;
        using BeaconMapObject::keyReleaseEvent;
    } beacon(&row, Qt::yellow);
    QKeyEvent del(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    beacon.keyReleaseEvent(&del);
    EXPECT_FALSE(del.isAccepted());
}

TEST_F(BeaconMapObjectTest, DiscInItsColourWithACommentLineOnlyWhenThereIsOne)
{
    const TextLines lines = beaconLines();
    BeaconMapObject beacon(&row, QColor(0, 200, 0));

    QImage plain = render(beacon);
    EXPECT_EQ(QColor(plain.pixel(Centre)), QColor(0, 200, 0));
    EXPECT_FALSE(drawnNear(plain, QPointF(Centre.x(), Centre.y() - 9)));
    EXPECT_TRUE(hasDarkPixel(plain, lines.band(0)));
    EXPECT_TRUE(hasDarkPixel(plain, lines.band(1)));
    EXPECT_FALSE(hasDarkPixel(plain, lines.band(2)));

    row.comment = "JN25 10 W";
    QImage commented = render(beacon);
    EXPECT_TRUE(hasDarkPixel(commented, lines.band(2)));
}

TEST_F(BeaconMapObjectTest, FrequencyLineFollowsTheRowAtEachPaint)
{
    const TextLines lines = beaconLines();
    BeaconMapObject beacon(&row, Qt::yellow);
    const QImage before = render(beacon);
    row.FREQ = 145500000; // a spot moved it
    const QImage after = render(beacon);
    EXPECT_EQ(crop(before, lines.band(0)), crop(after, lines.band(0)));
    EXPECT_NE(crop(before, lines.band(1)), crop(after, lines.band(1)));
}

TEST_F(AntennaMapObjectTest, StartsVisibleAtTheStationWithTheAntennaState)
{
    GeoTools::instance().setStationLocation(6.5, 45.5);
    AntennaMapObject antenna;
    EXPECT_TRUE(antenna.isVisible());
    EXPECT_TRUE(antenna.sizeIsZoomInvariant());
    EXPECT_EQ(antenna.pos(), QPointF(6.5, 45.5));
    EXPECT_EQ(antenna.getAzimuth(), AntennaSystem::instance()->getAzimuth());
    EXPECT_EQ(antenna.getElevation(), AntennaSystem::instance()->getElevation());
    EXPECT_EQ(antenna.getBeamwidth(), AntennaSystem::instance()->getBeamwidth());
    EXPECT_EQ(antenna.boundingRect(), QRectF(-350, -350, 700, 700));
}

TEST_F(AntennaMapObjectTest, BeamEdgesPointAtTheirBearingsNorthUpClockwise)
{
    AntennaMapObject antenna;
    const float width = antenna.getBeamwidth();
    ASSERT_GT(width, 4.0f);
    for (const float azimuth : {0.0f, 45.0f, 90.0f, 200.0f, 350.0f}) {
        SCOPED_TRACE(azimuth);
        antenna.SLOT_updateAntennaDirection(azimuth, 0);
        const QImage image = render(antenna);
        const double edges[] = {azimuth - width / 2.0, azimuth + width / 2.0};
        for (const double edge : edges) {
            SCOPED_TRACE(edge);
            EXPECT_TRUE(drawnNear(image, atBearing(edge, 100)));
            EXPECT_TRUE(drawnNear(image, atBearing(edge, 345)));
            EXPECT_FALSE(drawnNear(image, atBearing(edge, 356)));
        }
        // Nothing between the edges, nor at the edges mirrored east-west
        // or north-south (a wrong sign or axis).
        EXPECT_FALSE(drawnNear(image, atBearing(azimuth, 200)));
        for (const double edge : edges) {
            for (const double mirrored : {-edge, 180.0 - edge}) {
                const double off0 = std::remainder(mirrored - edges[0], 360.0);
                const double off1 = std::remainder(mirrored - edges[1], 360.0);
                if (std::fabs(off0) > 3 && std::fabs(off1) > 3)
                    EXPECT_FALSE(drawnNear(image, atBearing(mirrored, 200))) << mirrored;
            }
        }
    }
}

TEST_F(AntennaMapObjectTest, WidthReadFromTheSettingsSetsTheEdges)
{
    AntennaMapObject antenna;
    if (antenna.getBeamwidth() != 30.0f)
        GTEST_SKIP() << "the antenna service was built earlier in this process";
    antenna.SLOT_updateAntennaDirection(350, 0);
    const QImage image = render(antenna);
    EXPECT_TRUE(drawnNear(image, atBearing(335, 300)));
    EXPECT_TRUE(drawnNear(image, atBearing(5, 300)));
    EXPECT_FALSE(drawnNear(image, atBearing(350, 300)));
}

TEST_F(AntennaMapObjectTest, NewDirectionIsShownAfterARedraw)
{
    AntennaMapObject antenna;
    QSignalSpy redraw(&antenna, &MapGraphicsObject::redrawRequested);
    antenna.SLOT_updateAntennaDirection(45, 12);
    EXPECT_EQ(redraw.count(), 1);
    EXPECT_EQ(antenna.getAzimuth(), 45.0f);
    EXPECT_EQ(antenna.getElevation(), 12.0f);

    // The label below the disc reads "45.0": the same text drawn alone at the
    // same place gives the same pixels.
    const QImage image = render(antenna);
    QImage expected(Side, Side, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    {
        QPainter painter(&expected);
        painter.translate(Centre);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setFont(QFont("Arial", 8));
        painter.setPen(Qt::black);
        const int h = painter.fontMetrics().height();
        painter.drawText(-8, h + 10, "45.0");
    }
    QImage probe(4, 4, QImage::Format_ARGB32_Premultiplied);
    QPainter measure(&probe);
    measure.setFont(QFont("Arial", 8));
    const int h = measure.fontMetrics().height();
    const QRect label(Centre.x() - 8, Centre.y() + 10, 60, h + 4);
    EXPECT_TRUE(hasDarkPixel(image, label));
    EXPECT_EQ(crop(image, label), crop(expected, label));
}

TEST_F(AntennaMapObjectTest, FollowsTheAntennaServiceAndTheStation)
{
    AntennaMapObject antenna;
    AntennaSystem::instance()->setAzimuth(120);
    EXPECT_EQ(antenna.getAzimuth(), AntennaSystem::instance()->getAzimuth());
    EXPECT_NEAR(antenna.getAzimuth(), 120.0f, 0.001f);

    QSignalSpy moved(&antenna, &MapGraphicsObject::posChanged);
    antenna.SLOT_stationChangedLocation(48.8f, 2.5f);
    // Right after construction the object may announce the move a moment later.
    EXPECT_TRUE(waitFor([&moved] { return moved.count() >= 1; }));
    EXPECT_EQ(antenna.pos(), QPointF(double(2.5f), double(48.8f)));
}

#include "DebugCapture.h"
#include "SrtmTestTiles.h"
#include "TempWorkDir.h"
#include "WaitFor.h"
#include "map/geo/GeoTools.h"
#include "map/geo/PointOfInterest.h"
#include "mappanel/Param.h"
#include "mappanel/QDem.h"
#include "mappanel/TerrainPicture.h"
#include "map/terrain/TerrainGrid.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const double S = QDem::DegreesPerPixel;

// Tile N45E006, south-west of (7, 46): 100 m, with 300 m along its east edge
// (from 6.958 E) and along its north edge (from 45.958 N).
qint16 plainWithRidges(int rowFromNorth, int columnFromWest)
{
    return (columnFromWest >= 1150 || rowFromNorth < 50) ? 300 : 100;
}

QColor colour(int index)
{
    return TerrainPicture::palette()[std::size_t(index)];
}

// A terrain folder holding only N45E006: the other three tiles around (7, 46) are missing.
class TerrainFolder : public ::testing::Test
{
protected:
    TerrainFolder()
    {
        EXPECT_TRUE(QDir().mkpath(work.file("DEM")));
        EXPECT_TRUE(SrtmTestTiles::write(work.file("DEM/N45E006.hgt"), plainWithRidges));
    }
    TempWorkDir work;
};

} // namespace

TEST(TerrainPicturePalette, RampPassesThroughItsStops)
{
    const struct
    {
        int index;
        QColor colour;
    } stops[] = {
        {0, QColor(12, 113, 35)},    {16, QColor(58, 167, 55)},   {32, QColor(121, 202, 100)},
        {48, QColor(178, 232, 146)}, {62, QColor(220, 254, 187)}, {64, QColor(218, 252, 184)},
        {96, QColor(184, 210, 112)}, {128, QColor(170, 175, 64)}, {160, QColor(145, 129, 34)},
        {192, QColor(120, 84, 15)},  {224, QColor(97, 49, 4)},    {255, QColor(77, 24, 0)},
    };
    for (const auto& s : stops)
        EXPECT_EQ(colour(s.index), s.colour) << s.index;
    // Smooth: neighbours differ little, every entry opaque.
    for (int i = 1; i < 256; ++i) {
        EXPECT_LE(std::abs(colour(i).red() - colour(i - 1).red()), 4) << i;
        EXPECT_LE(std::abs(colour(i).green() - colour(i - 1).green()), 4) << i;
        EXPECT_EQ(colour(i).alpha(), 255);
    }
}

TEST(TerrainPicturePalette, HeightGivesTheIndex)
{
    const struct
    {
        double height;
        int index;
    } cases[] = {{-1.0, 0}, {-500.0, 0}, {0.0, 0}, {100.0, 99}, {256.0, 255}, {257.0, 255},
                 {4000.0, 255}, {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TerrainPicture::paletteIndex(c.height), c.index) << c.height;
}

TEST_F(TerrainFolder, PictureIsNorthUpEastRightAroundItsCentre)
{
    TerrainPicture picture(work.file("DEM"));
    const QImage image = picture.draw(QSize(180, 180), 7.0, 46.0, S);
    ASSERT_EQ(image.size(), QSize(180, 180));
    EXPECT_EQ(QColor(image.pixel(10, 170)), colour(99));  // 6.867 E 45.867 N: plain
    EXPECT_EQ(QColor(image.pixel(80, 170)), colour(255)); // 6.983 E: east ridge
    EXPECT_EQ(QColor(image.pixel(10, 100)), colour(255)); // 45.983 N: north ridge
    // The three missing tiles show as no data.
    for (const QPoint p : {QPoint(10, 10), QPoint(170, 10), QPoint(170, 170), QPoint(90, 90)})
        EXPECT_EQ(QColor(image.pixel(p)), colour(0)) << p.x() << "," << p.y();
    // 180 pixels span 180 x 2/1201 degrees: the boundary of the tile at the centre.
    EXPECT_EQ(QColor(image.pixel(89, 91)), colour(255));
}

TEST_F(TerrainFolder, EachTileIsTriedOncePerPicture)
{
    TerrainPicture picture(work.file("DEM"));
    picture.draw(QSize(180, 180), 7.0, 46.0, S);
    EXPECT_EQ(picture.tilesTried(), 4);
    picture.draw(QSize(180, 180), 6.5, 45.5, S);
    EXPECT_EQ(picture.tilesTried(), 1);
}

TEST_F(TerrainFolder, CancelledPictureIsDropped)
{
    TerrainPicture picture(work.file("DEM"));
    EXPECT_TRUE(picture.draw(QSize(180, 180), 7.0, 46.0, S, [] { return true; }).isNull());
}

namespace {

// A terrain picture widget on the station (7, 46), shown at 180 x 180.
class QDemTest : public TerrainFolder
{
protected:
    QDemTest()
    {
        GeoTools::instance().setDemPath(work.file("DEM"));
        GeoTools::instance().setStationLocation(7.0, 46.0);
        GeoTools::instance().prunePointsOfInterest(-1);
        dem.resize(180, 180);
        dem.show();
    }
    ~QDemTest() override { GeoTools::instance().prunePointsOfInterest(-1); }

    QImage picture()
    {
        QImage image(dem.size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        dem.render(&image);
        return image;
    }

    QDem dem;
};

bool hasDarkPixel(const QImage& image, const QRect& area)
{
    for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y)
        for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x)
            if (qGray(image.pixel(x, y)) < 120)
                return true;
    return false;
}

} // namespace

TEST_F(QDemTest, SizeHintsAndWidgetSettings)
{
    EXPECT_EQ(dem.sizeHint(), QSize(180, 180));
    EXPECT_EQ(dem.minimumSizeHint(), QSize(50, 50));
    EXPECT_EQ(dem.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    EXPECT_EQ(dem.sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    EXPECT_EQ(dem.focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(dem.hasMouseTracking());
    EXPECT_TRUE(dem.testAttribute(Qt::WA_NoSystemBackground));
    EXPECT_FALSE(dem.autoFillBackground());
}

TEST_F(QDemTest, GeoToPixelIsTheOffsetFromTheStation)
{
    const struct
    {
        Position p;
        int dx, dy;
    } cases[] = {
        {Position(7.0, 46.0), 0, 0},
        {Position(7.0 + 10.5 * S, 46.0), 10, 0},
        {Position(7.0 - 10.5 * S, 46.0), -10, 0},
        {Position(7.0, 46.0 + 20.5 * S), 0, -20},
        {Position(7.0, 46.0 - 20.5 * S), 0, 20},
    };
    for (const auto& c : cases) {
        const auto offset = dem.geoToPixel(c.p);
        EXPECT_EQ(offset.first, c.dx) << c.p.longitude();
        EXPECT_EQ(offset.second, c.dy) << c.p.latitude();
    }
}

TEST_F(QDemTest, TerrainIsDrawnOffTheGuiThreadAndShownWhenDone)
{
    TerrainGrid grid([] { return Position(7.0, 46.0); }, 1000);
    DebugCapture debug;
    dem.setTerrainGrid(&grid);
    ASSERT_TRUE(waitFor([&debug] { return debug.contains("demDraw done"); }));
    const QImage image = picture();
    EXPECT_EQ(QColor(image.pixel(10, 170)), colour(99));
    EXPECT_EQ(QColor(image.pixel(80, 170)), colour(255));
    EXPECT_EQ(QColor(image.pixel(170, 10)), colour(0));

    // A resize asks for a new picture of the new size.
    const int before = debug.lines().count("demDraw done");
    dem.resize(120, 100);
    ASSERT_TRUE(waitFor([&] { return debug.lines().count("demDraw done") > before; }));
    const QImage smaller = picture();
    EXPECT_EQ(QColor(smaller.pixel(5, 95)), colour(99)); // 6.905 E 45.92 N
}

TEST_F(QDemTest, ManyRequestsEndInTheLatestPicture)
{
    TerrainGrid grid([] { return Position(7.0, 46.0); }, 1000);
    dem.setTerrainGrid(&grid);
    for (int side = 100; side < 160; side += 10)
        dem.resize(side, side);
    DebugCapture debug;
    dem.resize(180, 180);
    ASSERT_TRUE(waitFor([&debug] { return debug.contains("demDraw done"); }));
    EXPECT_EQ(QColor(picture().pixel(10, 170)), colour(99));
}

TEST_F(QDemTest, OverlayNamesEveryThirdPoint)
{
    // Seven points spread across the picture, well apart and clear of the
    // station label and the beam.
    const QPoint offsets[] = {{-80, -70}, {-20, -70}, {30, -70}, {-80, -30}, {40, -30}, {-70, 50}, {20, 50}};
    QFile file(work.file("poi.csv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("id;k;name;c;r;class;lon;lat\n");
    for (int i = 0; i < 7; ++i) {
        const double lon = 7.0 + (offsets[i].x() + 0.5) * S;
        const double lat = 46.0 - (offsets[i].y() + 0.5) * S;
        file.write(QString("%1;k;Place%1;c;r;3000;%2;%3\n").arg(i).arg(lon, 0, 'f', 9).arg(lat, 0, 'f', 9).toUtf8());
    }
    file.close();
    GeoTools::instance().loadPointsOfInterest(work.file("poi.csv"));
    ASSERT_EQ(GeoTools::instance().pointsOfInterest().size(), 7);
    dem.SLOT_updateAntennaDirection(180); // beam south, clear of the names

    const QImage image = picture();
    int count = 0;
    for (const PointOfInterest* point : GeoTools::instance().pointsOfInterest()) {
        const auto offset = dem.geoToPixel(point->position());
        const QPoint at(90 + offset.first, 90 + offset.second);
        EXPECT_TRUE(hasDarkPixel(image, QRect(at.x() - 3, at.y() - 3, 6, 6))) << count;
        EXPECT_EQ(hasDarkPixel(image, QRect(at.x() + 4, at.y() - 7, 14, 6)), count % 3 == 0)
            << count << " " << point->name.toStdString();
        ++count;
    }
}

TEST_F(QDemTest, PointerEventsAreTraced)
{
    DebugCapture debug;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(12, 34), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dem, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(12, 34), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&dem, &release);
    EXPECT_TRUE(debug.contains("QDem::mousePressEvent 12 34"));
    EXPECT_TRUE(debug.contains("QDem::mouseReleaseEvent 12 34"));
}

TEST(Param, TwoLabelledListsFromTheTop)
{
    Param param;
    auto* layout = qobject_cast<QVBoxLayout*>(param.layout());
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->alignment(), Qt::AlignTop);
    ASSERT_EQ(layout->count(), 4);
    auto* in = qobject_cast<QLabel*>(layout->itemAt(0)->widget());
    auto* out = qobject_cast<QLabel*>(layout->itemAt(2)->widget());
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->text(), " Entree audio:");
    EXPECT_EQ(out->text(), " Sortie audio:");
    EXPECT_EQ(layout->itemAt(1)->widget(), param.inputDevices);
    EXPECT_EQ(layout->itemAt(3)->widget(), param.outputDevices);
    EXPECT_EQ(param.inputDevices->count(), 0);
    EXPECT_EQ(param.outputDevices->count(), 0);
}

#include "core/AntennaSystem.h"
#include "ProgramLog.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(AntennaSystem, MissingBeamwidthIsTenAndWrittenBack)
{
    TempWorkDir dir;
    ProgramLog::capture();
    AntennaSystem antenna;
    EXPECT_EQ(antenna.getBeamwidth(), 10.0f);
    QSettings onDisk(dir.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
    EXPECT_EQ(onDisk.value("Antenna/beamwidth").toString(), "10");
    EXPECT_EQ(ProgramLog::messages(),
              (QStringList{"AntennaSystem::AntennaSystem() ", "Antenna size not set, using default 10",
                           "AntennaSystem::AntennaSystem() done "}));
}

TEST(AntennaSystem, StoredBeamwidthIsUsed)
{
    TempWorkDir dir;
    ProgramLog::capture();
    {
        QSettings settings(dir.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
        settings.setValue("Antenna/beamwidth", 25.5);
    }
    AntennaSystem antenna;
    EXPECT_EQ(antenna.getBeamwidth(), 25.5f);
    EXPECT_TRUE(ProgramLog::messages().contains("Loading antenna aperture 25.5"));
}

TEST(AntennaSystem, SetAzimuthFoldsAndClampsOnce)
{
    TempWorkDir dir;
    struct Case
    {
        float given;
        float stored;
    };
    const Case cases[] = {{-10, 350}, {-400, -40}, {400, 360}, {360, 360}, {123.5f, 123.5f}};
    for (const Case& c : cases) {
        AntennaSystem antenna;
        QSignalSpy changes(&antenna, &AntennaSystem::SIG_AntennaOrientationChanged);
        antenna.setAzimuth(c.given);
        EXPECT_EQ(antenna.getAzimuth(), c.stored) << c.given;
        ASSERT_EQ(changes.count(), 1) << c.given;
        EXPECT_EQ(changes.at(0).at(0).toFloat(), c.stored);
        EXPECT_EQ(changes.at(0).at(1).toFloat(), 0.0f);
        EXPECT_TRUE(antenna.isChanged());
    }
}

TEST(AntennaSystem, ChangesBelowAQuarterDegreeAreIgnored)
{
    TempWorkDir dir;
    AntennaSystem antenna;
    antenna.setAzimuth(10);
    QSignalSpy changes(&antenna, &AntennaSystem::SIG_AntennaOrientationChanged);
    antenna.setAzimuth(10.2f);
    EXPECT_EQ(antenna.getAzimuth(), 10.0f);
    EXPECT_EQ(changes.count(), 0);
    antenna.setAzimuth(10.25f);
    EXPECT_EQ(antenna.getAzimuth(), 10.25f);
    EXPECT_EQ(changes.count(), 1);
}

TEST(AntennaSystem, NorthOffsetIsAddedWithoutWrapping)
{
    TempWorkDir dir;
    AntennaSystem antenna;
    QSignalSpy changes(&antenna, &AntennaSystem::SIG_AntennaOrientationChanged);

    antenna.setAzimuth(30);
    antenna.SLOT_setNorth();
    EXPECT_EQ(antenna.getAzimuth(), 0.0f);
    EXPECT_EQ(changes.last().at(0).toFloat(), 0.0f);
    antenna.setAzimuth(40);
    EXPECT_EQ(antenna.getAzimuth(), 10.0f);
    EXPECT_EQ(changes.last().at(0).toFloat(), 10.0f);

    antenna.SLOT_setAzimuthFromMeasurement(60); // offset 20 over the raw 40
    antenna.setAzimuth(350);
    EXPECT_EQ(antenna.getAzimuth(), 370.0f);
}

TEST(AntennaSystem, MeasuredAzimuthSetsTheOffset)
{
    TempWorkDir dir;
    AntennaSystem antenna;
    antenna.setAzimuth(30);
    QSignalSpy changes(&antenna, &AntennaSystem::SIG_AntennaOrientationChanged);
    antenna.SLOT_setAzimuthFromMeasurement(90);
    EXPECT_EQ(antenna.getAzimuth(), 90.0f);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toFloat(), 90.0f);
    // The dead band still applies to the raw azimuth, not the reported one.
    antenna.setAzimuth(30.1f);
    EXPECT_EQ(changes.count(), 1);
}

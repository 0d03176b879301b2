#include "core/ProgramSettings.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

TEST(ProgramSettings, MissingKeyGetsItsDefaultWrittenBackAndKeptKeysStay)
{
    TempWorkDir dir;
    writeFile(dir.file("conf/vantor-sdr.conf"), "[GPS]\nport=3\n\n[Antenna]\nother=x\n");
    {
        auto settings = ProgramSettings::open();
        settings->beginGroup("Antenna");
        bool wrote = false;
        EXPECT_EQ(ProgramSettings::valueOrWriteDefault(*settings, "beamwidth", 10.0, &wrote).toFloat(),
                  10.0f);
        EXPECT_TRUE(wrote);
        settings->endGroup();
    }
    QSettings onDisk(dir.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
    EXPECT_EQ(onDisk.value("Antenna/beamwidth").toDouble(), 10.0);
    EXPECT_EQ(onDisk.value("Antenna/other").toString(), "x");
    EXPECT_EQ(onDisk.value("GPS/port").toInt(), 3);
}

TEST(ProgramSettings, StoredValueWinsAndNothingIsWritten)
{
    TempWorkDir dir;
    const QByteArray text = "[Antenna]\nbeamwidth=25.5\n";
    writeFile(dir.file("conf/vantor-sdr.conf"), text);
    {
        auto settings = ProgramSettings::open();
        settings->beginGroup("Antenna");
        bool wrote = true;
        EXPECT_EQ(ProgramSettings::valueOrWriteDefault(*settings, "beamwidth", 10.0, &wrote).toFloat(),
                  25.5f);
        EXPECT_FALSE(wrote);
        settings->endGroup();
    }
    QFile file(dir.file("conf/vantor-sdr.conf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), text);
}

TEST(ProgramSettings, FirstDefaultCreatesTheFileAndItsFolder)
{
    TempWorkDir dir;
    {
        auto settings = ProgramSettings::open();
        EXPECT_EQ(settings->fileName(), dir.file("conf/vantor-sdr.conf"));
        settings->beginGroup("Database");
        ProgramSettings::valueOrWriteDefault(*settings, "path", "/somewhere/Orvex.sqlite");
        settings->endGroup();
    }
    QSettings onDisk(dir.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
    EXPECT_EQ(onDisk.value("Database/path").toString(), "/somewhere/Orvex.sqlite");
}

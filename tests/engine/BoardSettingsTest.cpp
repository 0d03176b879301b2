#include "engine/board/BoardSettings.h"

#include "TempWorkDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

QStringList confFilesBelow(const QString& root)
{
    QStringList found;
    QDirIterator it(root, {"*.conf"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(root).relativeFilePath(it.next());
    return found;
}

TEST(BoardSettings, FileNameOfPlainNamesIsTheReceiverName)
{
    EXPECT_EQ(BoardSettings::fileName("RTL2832U"), "tnrx_RTL2832U.conf");
    EXPECT_EQ(BoardSettings::fileName("Airspy R2 1.0"), "tnrx_Airspy R2 1.0.conf");
    EXPECT_EQ(BoardSettings::fileName(QString::fromUtf8("Récepteur Ω")),
              QString::fromUtf8("tnrx_Récepteur Ω.conf"));
}

TEST(BoardSettings, NonAsciiNameReadsBackWhatWasWritten)
{
    TempWorkDir dir;
    const QString name = QString::fromUtf8("Récepteur Ω-7");
    {
        auto settings = BoardSettings::open(name);
        settings->setValue(BoardSettings::KeyCenter, qint64(2400000000));
        settings->setValue(BoardSettings::channelKey(0, BoardSettings::ChannelNco), -12500.0);
        settings->setValue(BoardSettings::channelKey(1, BoardSettings::ChannelMod), "USB");
    }
    EXPECT_EQ(confFilesBelow(dir.path()), QStringList{"conf/" + BoardSettings::fileName(name)});

    auto settings = BoardSettings::open(name);
    EXPECT_EQ(BoardSettings::readCenter(*settings), qint64(2400000000));
    EXPECT_EQ(settings->value("Channel_0_NCO").toDouble(), -12500.0);
    EXPECT_EQ(settings->value("Channel_1_Mod").toString(), "USB");
    // Every key lives in the group "Preferences".
    QSettings raw(BoardSettings::filePath(name), QSettings::IniFormat);
    EXPECT_EQ(raw.childGroups(), QStringList{"Preferences"});
}

// A remote server names its sources: nothing in such a name may place the
// file anywhere but in "conf".
TEST(BoardSettings, HostileNamesStayInConf)
{
    const char* names[] = {"../../evil", "a/b/c", "..\\..\\win", "/etc/passwd",
                           "..",         "x..y",  "con:*?\"<>|", "tab\tnew\nline"};
    for (const char* hostile : names) {
        SCOPED_TRACE(hostile);
        TempWorkDir dir;
        const QString name = QString::fromUtf8(hostile);
        {
            auto settings = BoardSettings::open(name);
            settings->setValue(BoardSettings::KeyLO, 0);
        }
        const QString file = BoardSettings::fileName(name);
        EXPECT_FALSE(file.contains('/'));
        EXPECT_FALSE(file.contains('\\'));
        EXPECT_FALSE(file.contains(".."));
        EXPECT_EQ(QFileInfo(BoardSettings::filePath(name)).absolutePath(), dir.file("conf"));
        EXPECT_EQ(confFilesBelow(dir.path()), QStringList{"conf/" + file});
        auto settings = BoardSettings::open(name);
        EXPECT_TRUE(settings->contains(BoardSettings::KeyLO));
    }
}

TEST(BoardSettings, FirstStartWritesConverterAndCorrectionDefaults)
{
    TempWorkDir dir;
    {
        auto settings = BoardSettings::open("fresh");
        BoardSettings::StartupValues values =
            BoardSettings::readStartupValues(*settings, 24000000, 1766000000);
        EXPECT_TRUE(values.converterMissing);
        EXPECT_EQ(values.lo, 0);
        EXPECT_EQ(values.inMin, 24000000);
        EXPECT_EQ(values.inMax, 1766000000);
        EXPECT_EQ(values.gainI, 1.0);
        EXPECT_EQ(values.gainQ, 1.0);
        EXPECT_EQ(values.gainC, 0.0);
        EXPECT_EQ(values.ppmError, 0.0);
    }
    QSettings raw(BoardSettings::filePath("fresh"), QSettings::IniFormat);
    raw.beginGroup("Preferences");
    EXPECT_EQ(raw.allKeys().size(), 7);
    EXPECT_EQ(raw.value("In_Max").toLongLong(), 1766000000);
    EXPECT_EQ(raw.value("Gain_I").toDouble(), 1.0);
    EXPECT_FALSE(raw.contains("board_center_freq"));
}

TEST(BoardSettings, StoredConverterIsKeptAndMissingCorrectionsAreAdded)
{
    TempWorkDir dir;
    {
        auto settings = BoardSettings::open("known");
        settings->setValue("LO", qint64(116000000));
        settings->setValue("In_Min", qint64(120000000));
        settings->setValue("In_Max", qint64(5000000000));
        settings->setValue("ppmError", 1.5);
    }
    auto settings = BoardSettings::open("known");
    BoardSettings::StartupValues values = BoardSettings::readStartupValues(*settings, 1, 2);
    EXPECT_FALSE(values.converterMissing);
    EXPECT_EQ(values.lo, 116000000);
    EXPECT_EQ(values.inMin, 120000000);
    EXPECT_EQ(values.inMax, qint64(5000000000));
    EXPECT_EQ(values.ppmError, 1.5);
    EXPECT_EQ(values.gainI, 1.0);
    EXPECT_TRUE(settings->contains("Gain_C"));
}

TEST(BoardSettings, CentreThatIsMissingOrNotANumberReadsAsZero)
{
    TempWorkDir dir;
    auto settings = BoardSettings::open("centre");
    EXPECT_EQ(BoardSettings::readCenter(*settings), 0);
    settings->setValue("board_center_freq", "abc");
    EXPECT_EQ(BoardSettings::readCenter(*settings), 0);
}

TEST(BoardSettings, KeyNames)
{
    EXPECT_EQ(BoardSettings::channelKey(0, BoardSettings::ChannelNco), "Channel_0_NCO");
    EXPECT_EQ(BoardSettings::channelKey(1, BoardSettings::ChannelSquelch), "Channel_1_SQUELCH");
    EXPECT_EQ(BoardSettings::gainKey(1, 1), "GainRF");
    EXPECT_EQ(BoardSettings::gainKey(1, 3), "GainRF_1");
    EXPECT_EQ(BoardSettings::gainKey(3, 3), "GainRF_3");
}

} // namespace

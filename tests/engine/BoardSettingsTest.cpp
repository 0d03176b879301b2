#include "engine/board/BoardSettings.h"

#include "TempWorkDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
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

// Board files written by earlier runs, or by hand, stay readable: each line
// of the file is found under the key the engine asks for.
TEST(BoardSettings, LinesOfAStoredFileAreFoundByTheEnginesKeys)
{
    TempWorkDir dir;
    const struct
    {
        const char* line;
        QString key;
        double value;
    } cases[] = {
        {"Channel_0_NCO=-12500", BoardSettings::channelKey(0, BoardSettings::ChannelNco), -12500},
        {"Channel_0_LowCut=300", BoardSettings::channelKey(0, BoardSettings::ChannelLowCut), 300},
        {"Channel_1_HighCut=2700", BoardSettings::channelKey(1, BoardSettings::ChannelHighCut), 2700},
        {"Channel_1_SQUELCH=-70", BoardSettings::channelKey(1, BoardSettings::ChannelSquelch), -70},
        {"GainRF=12", BoardSettings::gainKey(1, 1), 12},     // a receiver of one stage
        {"GainRF_1=3.5", BoardSettings::gainKey(1, 3), 3.5}, // stages of a receiver of three
        {"GainRF_3=-4", BoardSettings::gainKey(3, 3), -4},
    };
    QByteArray text = "[Preferences]\n";
    for (const auto& c : cases)
        text += QByteArray(c.line) + "\n";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(BoardSettings::filePath("stored")).path()));
    QFile file(BoardSettings::filePath("stored"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();

    auto settings = BoardSettings::open("stored");
    for (const auto& c : cases) {
        EXPECT_TRUE(settings->contains(c.key)) << c.line;
        EXPECT_EQ(settings->value(c.key).toDouble(), c.value) << c.line;
    }
    // The demodulator's name, a text.
    settings->setValue(BoardSettings::channelKey(1, BoardSettings::ChannelMod), "USB");
    settings.reset();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Channel_1_Mod=USB"));
}

} // namespace

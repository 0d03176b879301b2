// The CSV writer and reader: line format, chunking, paths, round trips, a
// failed overwrite and free temporary names.
#include "QtPrinters.h"
#include "TempWorkDir.h"
#include "lists/csv/CsvReader.h"
#include "lists/csv/CsvWriter.h"
#include "lists/csv/StringData.h"
#include "lists/csv/VariantData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPoint>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextCodec>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace QtCSV;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

StringData rows(int count)
{
    StringData data;
    for (int i = 0; i < count; ++i)
        data << QStringList{QString::number(i), "v"};
    return data;
}

} // namespace

TEST(CsvLineTest, ValuesAreEnclosedAndDelimitersDoubled)
{
    const struct
    {
        QStringList values;
        QString separator, delimiter, expected;
    } cases[] = {
        {{"a", "b"}, ",", "\"", "\"a\",\"b\"\r\n"},
        {{"say \"hi\"", ""}, ",", "\"", "\"say \"\"hi\"\"\",\"\"\r\n"},
        {{"a,b", "c", "d\ne"}, ",", "", "\"a,b\",c,\"d\ne\"\r\n"},
        {{"x'y", "z"}, ";", "'", "'x''y';'z'\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvChunkCursor::composeLine(c.values, c.separator, c.delimiter), c.expected) << c.expected;
}

TEST(CsvChunkTest, ChunksHoldAtMostAThousandLines)
{
    const QString separator = ",", delimiter = "\"";
    const struct
    {
        int rowCount;
        QStringList header, footer;
        QList<int> expectedLines;
    } cases[] = {
        {2500, {"h"}, {"f"}, {1000, 1000, 502}},
        {999, {"h"}, {"f"}, {1000, 1}},
        {999, {"h"}, {}, {1000, 0}},
        {3, {}, {}, {3}},
    };
    for (const auto& c : cases) {
        const StringData data = rows(c.rowCount);
        CsvChunkCursor cursor(data, separator, delimiter, c.header, c.footer);
        QList<int> lines;
        while (cursor.hasNext())
            lines.append(cursor.nextChunk().count("\r\n"));
        EXPECT_EQ(lines, c.expectedLines) << c.rowCount << " rows";
        EXPECT_EQ(cursor.nextChunk(), QString());
    }
}

TEST(CsvFileTest, RoundTripKeepsSeparatorsQuotesAndLineBreaks)
{
    TempWorkDir work;
    const QString path = work.file("table.csv");
    StringData data;
    data << QStringList{"plain", "with,comma", "with \"quotes\"", ""};
    data << QStringList{"line\nbreak", "a,b\"", ",leading", "\"", "été"};
    data << QStringList{"two\n\nblank lines", "x"};
    ASSERT_TRUE(CsvWriter::write(path, data, ",", "\"", CsvWriter::Overwrite, {"h1", "h2"}, {"end"}));

    StringData back;
    ASSERT_TRUE(CsvReader::read(path, back, ",", "\""));
    StringData expected;
    expected << QStringList{"h1", "h2"};
    for (int i = 0; i < data.rowCount(); ++i)
        expected << data.rowAt(i);
    expected << QStringList{"end"};
    EXPECT_EQ(back, expected);
}

TEST(CsvFileTest, ReaderSplitsQuotedAndPlainValues)
{
    TempWorkDir work;
    const QString path = work.file("in.csv");
    const struct
    {
        QByteArray text;
        QList<QStringList> expected;
    } cases[] = {
        {"\"x\",\"y,z\",\"w\"\n", {{"x", "y,z", "w"}}},
        {"\"first\nsecond\",b\n", {{"first\nsecond", "b"}}},
        {"a\n\nb\n", {{"a"}, {}, {"b"}}},
        {"a,,\n", {{"a", "", ""}}},
        {"plain \"x\" y,\"q\"tail\n", {{"plain \"x\" y", "qtail"}}},
        {"\"a,b\"\"\",c\n", {{"a,b\"", "c"}}},
        {"\"never closed,x\ny", {{"never closed,x\ny"}}},
        {"a;b\r\nc;d\r\n", {{"a;b"}, {"c;d"}}},
    };
    for (const auto& c : cases) {
        writeBytes(path, c.text);
        EXPECT_EQ(CsvReader::read(path, ",", "\""), c.expected) << c.text.toStdString();
    }
}

TEST(CsvFileTest, ReaderHonoursTheCodec)
{
    TempWorkDir work;
    const QString path = work.file("latin.csv");
    writeBytes(path, "caf\xe9;x\n");
    QTextCodec* latin1 = QTextCodec::codecForName("ISO-8859-1");
    EXPECT_EQ(CsvReader::read(path, ";", "\"", latin1), (QList<QStringList>{{"café", "x"}}));
}

TEST(CsvFileTest, PathsMustBeAbsoluteWithTheSuffixCsv)
{
    TempWorkDir work;
    const StringData data = rows(1);
    for (const QString& path : {QString("relative.csv"), work.file("upper.CSV"), work.file("table.old.csv"),
                                work.file("nosuffix"), QString()}) {
        EXPECT_FALSE(CsvWriter::write(path, data)) << path.toStdString();
        EXPECT_FALSE(CsvReader::checkParams(path, ",")) << path.toStdString();
    }
    EXPECT_FALSE(CsvReader::checkParams(work.file("ok.csv"), ""));
    EXPECT_TRUE(CsvReader::checkParams(work.file("ok.csv"), ","));
    EXPECT_FALSE(CsvWriter::write(work.file("ok.csv"), StringData()));
}

TEST(CsvFileTest, UnreadableFileLeavesDataUnchanged)
{
    TempWorkDir work;
    StringData data = rows(2);
    EXPECT_FALSE(CsvReader::read(work.file("missing.csv"), data));
    EXPECT_EQ(data, rows(2));
    EXPECT_TRUE(CsvReader::read(work.file("missing.csv")).isEmpty());
}

TEST(CsvFileTest, AppendAddsAndOverwriteReplaces)
{
    TempWorkDir work;
    const QString path = work.file("t.csv");
    StringData one;
    one << QStringList{"1"};
    StringData two;
    two << QStringList{"2"};
    ASSERT_TRUE(CsvWriter::write(path, one));
    ASSERT_TRUE(CsvWriter::write(path, two, ",", "\"", CsvWriter::Append));
    EXPECT_EQ(fileBytes(path), "\"1\"\r\n\"2\"\r\n");
    ASSERT_TRUE(CsvWriter::write(path, two));
    EXPECT_EQ(fileBytes(path), "\"2\"\r\n");
}

TEST(CsvFileTest, FailedOverwriteKeepsTheOriginalFile)
{
    TempWorkDir work;
    const QString path = work.file("keep.csv");
    writeBytes(path, "original\r\n");

    // Let the process write no more than 4 KiB per file, so the new content fails.
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 4096;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = CsvWriter::write(path, rows(2000));
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(fileBytes(path), "original\r\n");
}

// Points the system's temporary folder at a folder of the test while it lives.
class TempFolderAt
{
public:
    explicit TempFolderAt(const QString& folder) : m_previous(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(folder));
    }
    ~TempFolderAt()
    {
        if (m_previous.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_previous);
    }

private:
    QByteArray m_previous;
};

TEST(CsvTempNameTest, FreeNameInTheSystemsTemporaryFolder)
{
    TempWorkDir work;
    TempFolderAt temp(work.path());
    const QString name = CsvWriter::tempFileName();
    const QRegularExpression pattern("^" + QRegularExpression::escape(QDir::tempPath()) + "/qtcsv_" +
                                     QString::number(QCoreApplication::applicationPid()) + "_\\d+\\.csv$");
    EXPECT_TRUE(pattern.match(name).hasMatch()) << name;
    EXPECT_TRUE(name.startsWith(work.path() + "/")) << name;
    EXPECT_FALSE(QFile::exists(name)) << name;
}

TEST(CsvTempNameTest, TakenNamesAreSkippedUntilTheLastTry)
{
    TempWorkDir work;
    TempFolderAt temp(work.path());
    // A seeded source tries the same names in the same order at every call:
    // each round takes the name found, so the next round needs one try more.
    const quint32 seed = 38;
    QStringList taken;
    for (int tries = 1; tries <= 4; ++tries) {
        QRandomGenerator fewer(seed);
        if (tries > 1)
            EXPECT_EQ(CsvWriter::tempFileName(fewer, tries - 1), QString()) << tries - 1 << " tries";
        QRandomGenerator random(seed);
        const QString name = CsvWriter::tempFileName(random, tries);
        ASSERT_FALSE(name.isEmpty()) << tries << " tries";
        EXPECT_FALSE(taken.contains(name)) << name;
        writeBytes(name, "taken");
        taken << name;
    }
}

TEST(CsvDataTest, RowEditingKeepsIndexesInRange)
{
    StringData data;
    data << "b";
    data.insertRowAt(-3, "a");
    data.insertRowAt(99, QStringList{"c", "c2"});
    data.removeRowAt(7);
    data.replaceRowAt(5, "ignored");
    EXPECT_EQ(data.rowCount(), 3);
    EXPECT_EQ(data.rowAt(0), QStringList{"a"});
    EXPECT_EQ(data.rowAt(2), (QStringList{"c", "c2"}));
    EXPECT_EQ(data.rowAt(3), QStringList());
    data.replaceRowAt(1, QStringList{"B"});
    data.removeRowAt(0);
    EXPECT_EQ(data.rowAt(0), QStringList{"B"});
    StringData copy = data;
    EXPECT_EQ(copy, data);
    copy.appendEmptyRow();
    EXPECT_NE(copy, data);
}

TEST(CsvDataTest, VariantDataTakesOnlyValuesWithATextForm)
{
    VariantData data;
    EXPECT_TRUE(data.appendRow(QList<QVariant>{1, 2.5, "x", true}));
    EXPECT_FALSE(data.appendRow(QList<QVariant>{1, QPoint(1, 2)}));
    EXPECT_FALSE(data.appendRow(QVariant()));
    EXPECT_FALSE(data.insertRowAt(0, QVariant(QPoint(1, 2))));
    EXPECT_FALSE(data.replaceRowAt(0, QVariant(QPoint(1, 2))));
    EXPECT_FALSE(data.replaceRowAt(4, QVariant(3)));
    EXPECT_EQ(data.rowCount(), 1);
    EXPECT_EQ(data.rowAt(0), (QStringList{"1", "2.5", "x", "true"}));
    data << QStringList{"t"};
    EXPECT_TRUE(data.insertRowAt(0, QVariant(7)));
    EXPECT_EQ(data.rowAt(0), QStringList{"7"});
    EXPECT_EQ(data.rowAt(2), QStringList{"t"});
}

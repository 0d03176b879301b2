#include "core/QLogger.h"
#include "TempWorkDir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

// Every test registers modules of its own: the manager is process-wide and
// never forgets one. Files are relative, so each test's folder gets its own.
QLogger::QLoggerManager* manager()
{
    return QLogger::QLoggerManager::instance();
}

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// A file of exactly size bytes.
void makeFileOfSize(const QString& path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(size));
}

QStringList rotatedFiles()
{
    return QDir("logs").entryList({"vantor-sdr_*.log"}, QDir::Files);
}

const QRegularExpression
    LinePattern(R"(^\[(\d\d-\d\d-\d{4} \d\d:\d\d:\d\d\.\d{3})\] \[(\w*)\] \{([^}]*)\} (.*)$)");

} // namespace

TEST(QLogger, EachLineCarriesTimeItsOwnLevelModuleAndText)
{
    TempWorkDir dir;
    ASSERT_TRUE(manager()->addLogFile("./logs/format.log", "format", QLogger::TraceLevel));
    QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    QLogger::logTrace("format", "trace line");
    QLogger::logDebug("format", "debug line");
    QLogger::logInfo("format", "info line");
    QLogger::logWarning("format", "warning line");
    QLogger::logError("format", "error line");
    QLogger::logFatal("format", "fatal line");
    QLogger::logMessage("format", 9, "odd level");
    QDateTime after = QDateTime::currentDateTime().addMSecs(1);

    struct Expected
    {
        const char* level;
        const char* text;
    };
    const Expected expected[] = {
        {"Trace", "trace line"}, {"Debug", "debug line"}, {"Info", "info line"}, {"Warning", "warning line"},
        {"Error", "error line"}, {"Fatal", "fatal line"}, {"", "odd level"}};
    QStringList lines = readLines("logs/format.log");
    ASSERT_EQ(lines.size(), 7);
    for (int i = 0; i < 7; ++i) {
        QRegularExpressionMatch match = LinePattern.match(lines[i]);
        ASSERT_TRUE(match.hasMatch()) << lines[i].toStdString();
        QDateTime time = QDateTime::fromString(match.captured(1), "dd-MM-yyyy hh:mm:ss.zzz");
        EXPECT_TRUE(time >= before && time <= after) << lines[i].toStdString();
        EXPECT_EQ(match.captured(2), expected[i].level);
        EXPECT_EQ(match.captured(3), "format");
        EXPECT_EQ(match.captured(4), expected[i].text);
    }
}

TEST(QLogger, LinesBelowTheWritersLevelAreDropped)
{
    TempWorkDir dir;
    ASSERT_TRUE(manager()->addLogFile("./logs/levels.log", "levels", QLogger::WarningLevel));
    QLogger::logTrace("levels", "t");
    QLogger::logDebug("levels", "d");
    QLogger::logInfo("levels", "i");
    QLogger::logWarning("levels", "w");
    QLogger::logError("levels", "e");
    QStringList lines = readLines("logs/levels.log");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("[Warning] {levels} w"));
    EXPECT_TRUE(lines[1].endsWith("[Error] {levels} e"));
}

TEST(QLogger, UnregisteredModuleLeavesNoFile)
{
    TempWorkDir dir;
    QLogger::logTrace("nobody", "first");
    QLogger::logError("nobody", "second");
    EXPECT_TRUE(QDir(".").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST(QLogger, AddLogFileRegistersOneModulePerCall)
{
    TempWorkDir dir;
    const QStringList modules{"first", "second"};
    EXPECT_TRUE(manager()->addLogFile("./logs/one.log", modules, 0));
    QLogger::logTrace("second", "dropped: not yet registered");
    EXPECT_TRUE(manager()->addLogFile("./logs/one.log", modules, 0));
    EXPECT_FALSE(manager()->addLogFile("./logs/one.log", modules, 0));
    // A known module keeps its file and level.
    EXPECT_FALSE(manager()->addLogFile("./logs/other.log", "first", QLogger::ErrorLevel));

    QLogger::logTrace("first", "to one");
    QLogger::logTrace("second", "to one too");
    QStringList lines = readLines("logs/one.log");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("{first} to one"));
    EXPECT_TRUE(lines[1].endsWith("{second} to one too"));
    EXPECT_FALSE(QFile::exists("logs/other.log"));
}

TEST(QLogger, FileIsMovedAsideOnceItHoldsOneMebibyte)
{
    TempWorkDir dir;
    ASSERT_TRUE(manager()->addLogFile("./logs/vantor-sdr.log", "rotate", 0));
    const QString log = "logs/vantor-sdr.log";

    // One byte short: the line is appended, and the next line finds it over.
    makeFileOfSize(log, 1048575);
    QLogger::logTrace("rotate", "appended");
    EXPECT_TRUE(rotatedFiles().isEmpty());
    qint64 grown = QFileInfo(log).size();
    EXPECT_GT(grown, 1048575);

    QLogger::logTrace("rotate", "first of the new file");
    QStringList rotated = rotatedFiles();
    ASSERT_EQ(rotated.size(), 1);
    EXPECT_TRUE(QRegularExpression(R"(^vantor-sdr_\d\d_\d\d_\d\d__\d\d_\d\d_\d\d\.log$)")
                    .match(rotated[0])
                    .hasMatch())
        << rotated[0].toStdString();
    EXPECT_EQ(QFileInfo("logs/" + rotated[0]).size(), grown);

    QStringList lines = readLines(log);
    ASSERT_EQ(lines.size(), 2);
    QRegularExpressionMatch pointer =
        QRegularExpression(R"(^(\d\d-\d\d-\d{4} \d\d:\d\d:\d\d\.\d{3}) - Previuous log (.*)$)")
            .match(lines[0]);
    ASSERT_TRUE(pointer.hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(pointer.captured(2), "./logs/" + rotated[0]);
    EXPECT_TRUE(lines[1].endsWith("{rotate} first of the new file"));
}

TEST(QLogger, FileOfExactlyOneMebibyteIsMovedBeforeTheLine)
{
    TempWorkDir dir;
    ASSERT_TRUE(manager()->addLogFile("./logs/vantor-sdr.log", "exact", 0));
    makeFileOfSize("logs/vantor-sdr.log", 1048576);
    QLogger::logTrace("exact", "line");
    ASSERT_EQ(rotatedFiles().size(), 1);
    EXPECT_EQ(QFileInfo("logs/" + rotatedFiles()[0]).size(), 1048576);
    QStringList lines = readLines("logs/vantor-sdr.log");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(" - Previuous log ./logs/vantor-sdr_"));
}

TEST(QLogger, FailedMoveAppendsWithoutPointerAndRetriesNextLine)
{
    TempWorkDir dir;
    ASSERT_TRUE(manager()->addLogFile("./logs/vantor-sdr.log", "blocked", 0));
    makeFileOfSize("logs/vantor-sdr.log", 1048576);
    // Occupy the rotated names of the next few seconds.
    QDateTime now = QDateTime::currentDateTime();
    QStringList occupied;
    for (int s = 0; s < 4; ++s) {
        QDateTime t = now.addSecs(s);
        QString name = "logs/vantor-sdr_" + t.toString("dd_MM_yy") + "__" + t.toString("hh_mm_ss") + ".log";
        makeFileOfSize(name, 1);
        occupied << name;
    }
    QLogger::logTrace("blocked", "kept in the big file");
    EXPECT_TRUE(rotatedFiles().size() == occupied.size()) << "moved over an existing file";
    QFile big("logs/vantor-sdr.log");
    ASSERT_TRUE(big.open(QIODevice::ReadOnly));
    ASSERT_TRUE(big.seek(1048576));
    QString appended = QString::fromUtf8(big.readAll());
    big.close();
    EXPECT_TRUE(LinePattern.match(appended.trimmed()).hasMatch()) << appended.toStdString();
    EXPECT_TRUE(appended.endsWith("{blocked} kept in the big file\n")) << appended.toStdString();

    for (const QString& name : occupied)
        QFile::remove(name);
    QLogger::logTrace("blocked", "after the retry");
    EXPECT_EQ(rotatedFiles().size(), 1);
    QStringList lines = readLines("logs/vantor-sdr.log");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(" - Previuous log "));
    EXPECT_TRUE(lines[1].endsWith("{blocked} after the retry"));
}

TEST(QLogger, NonAsciiTextIsWrittenAsUtf8)
{
    TempWorkDir dir;
    ASSERT_TRUE(manager()->addLogFile("./logs/text.log", "text", 0));
    QLogger::logTrace("text", QString::fromUtf8("Fréquence réglée à 145,800 MHz ✓"));
    QStringList lines = readLines("logs/text.log");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(QString::fromUtf8("Fréquence réglée à 145,800 MHz ✓")))
        << lines[0].toStdString();
}

TEST(QLogger, FormattedTraceKeepsAtMost1022Bytes)
{
    TempWorkDir dir;
    ASSERT_TRUE(manager()->addLogFile("./logs/format2.log", "printf", 0));
    std::string longText(2000, 'a');
    QLogger::logTraceFormat("printf", "%s", longText.c_str());
    QLogger::logTraceFormat("printf", "%d-%s", 42, "x");
    QStringList lines = readLines("logs/format2.log");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("} " + QString(1022, 'a')));
    EXPECT_TRUE(lines[1].endsWith("} 42-x"));
}

TEST(QLogger, LinesOfManyThreadsNeverInterleave)
{
    TempWorkDir dir;
    ASSERT_TRUE(manager()->addLogFile("./logs/threads.log", "threads", 0));
    const int threadCount = 4;
    const int linesEach = 100;
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < linesEach; ++i)
                QLogger::logTrace("threads", QString("thread %1 line %2 ").arg(t).arg(i) + QString(200, 'x'));
        });
    for (auto& thread : threads)
        thread.join();
    QStringList lines = readLines("logs/threads.log");
    ASSERT_EQ(lines.size(), threadCount * linesEach);
    for (const QString& line : lines)
        ASSERT_TRUE(LinePattern.match(line).hasMatch() && line.endsWith(QString(200, 'x')))
            << line.toStdString();
}

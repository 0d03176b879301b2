#include "DebugCapture.h"
#include "TempWorkDir.h"
#include "map/geo/PoiLoader.h"

#include <QFile>
#include <QStandardItemModel>
#include <gtest/gtest.h>

#include <memory>

namespace {

using Rows = QList<QStringList>;

Rows rowsOf(const QStandardItemModel& model)
{
    Rows rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < model.columnCount(); ++c)
            if (const QStandardItem* item = model.item(r, c))
                fields << item->text();
        rows << fields;
    }
    return rows;
}

struct Loader
{
    PoiLoader loader;
    std::unique_ptr<QStandardItemModel> model{loader.model};
};

} // namespace

TEST(PoiLoader, SplitsLinesAndFields)
{
    struct Case
    {
        const char* what;
        QByteArray bytes;
        Rows rows;
    };
    const Case cases[] = {
        {"header and a line of eight fields, a quoted field with a doubled quote",
         "id;a;name;b;c;class;lon;lat\n1;x;\"Mont \"\"Blanc\"\"\";y;z;2500;6.86;45.83\n",
         {{"id", "a", "name", "b", "c", "class", "lon", "lat"},
          {"1", "x", "Mont \"Blanc\"", "y", "z", "2500", "6.86", "45.83"}}},
        {"a quoted ';' stays in one field", "a;\"b;c\";d\n", {{"a", "b;c", "d"}}},
        {"a quoted line break stays in one field", "a;\"b\nc\";d\n", {{"a", "b\nc", "d"}}},
        {"a last field without a line break still closes the line", "a;b\nc;d", {{"a", "b"}, {"c", "d"}}},
        {"carriage returns are dropped", "a;b\r\nc\r\n", {{"a", "b"}, {"c"}}},
        {"the text ends at the first NUL byte", QByteArray("a;b\nc;d\0e;f\n", 12), {{"a", "b"}, {"c", "d"}}},
        {"an empty line is a row of one empty field", "a\n\nb\n", {{"a"}, {""}, {"b"}}},
        {"a final ';' leaves its line open", "a;b\nc;", {{"a", "b"}}},
        {"an unclosed quote absorbs the rest", "a;b\nc;\"d;e\n", {{"a", "b"}}},
        {"quotes inside an unquoted field", "a\"\"b;\"\"\n", {{"a\"b", ""}}},
        {"UTF-8 names", "1;Col de l'Iseran;\xc3\x89vian\n", {{"1", "Col de l'Iseran", "\xc3\x89vian"}}},
        {"nothing", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Loader l;
        l.loader.parse(c.bytes);
        EXPECT_EQ(rowsOf(*l.model), c.rows);
    }
}

TEST(PoiLoader, RowsAccumulateAcrossLoadsWithoutAnOpenLineCarriedOver)
{
    Loader l;
    l.loader.parse("a;b\nc;");
    l.loader.parse("d;e\n");
    EXPECT_EQ(rowsOf(*l.model), (Rows{{"a", "b"}, {"d", "e"}}));
}

TEST(PoiLoader, LoadReadsTheFileAndTellsTheRowCount)
{
    TempWorkDir work;
    QFile file(work.file("poi.csv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("h1;h2\n1;one\n2;two\n");
    file.close();

    Loader l;
    DebugCapture debug;
    l.loader.load(work.file("poi.csv"));
    EXPECT_EQ(l.model->rowCount(), 3);
    EXPECT_TRUE(debug.contains("loaded: 3 rows."));
}

TEST(PoiLoader, MissingFileGivesAnEmptyModel)
{
    TempWorkDir work;
    Loader l;
    DebugCapture debug;
    l.loader.load(work.file("none.csv"));
    EXPECT_EQ(l.model->rowCount(), 0);
    EXPECT_TRUE(debug.contains("loaded: 0 rows."));
}

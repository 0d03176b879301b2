#include "lists/DB.h"

#include "lists/SqlConnection.h"

#include <QDebug>
#include <QSqlQuery>

namespace {

// Runs a prepared statement on the main database and makes one row object per
// result row; logs "<operation> db not opened" when the database is unusable.
template <typename Row>
QList<Row*> selectRows(const char* operation, const QString& statement,
                       const QList<QPair<QString, QVariant>>& values = {})
{
    QList<Row*> rows;
    QSqlDatabase db;
    if (!SqlConnection::open(SqlConnection::defaultName(), &db)) {
        qDebug() << operation << "db not opened";
        return rows;
    }
    QSqlQuery query(db);
    query.prepare(statement);
    for (const auto& value : values)
        query.bindValue(value.first, value.second);
    if (!query.exec())
        return rows;
    while (query.next())
        rows.append(Row::fromRecord(query.record()));
    return rows;
}

} // namespace

DB::DB(QObject* parent) : QObject(parent) {}

QList<dbBeacon*> DB::select_all_beacons()
{
    return selectRows<dbBeacon>("DB::select_all_beacons",
                                "select * from BEACONS order by callsign asc, freq asc");
}

QList<dbBeacon*> DB::select_beacons_by_callsign(const QString& callsign)
{
    return selectRows<dbBeacon>("DB::select_beacons_by_callsign",
                                "select * from BEACONS where callsign=:callsign order by freq asc",
                                {{":callsign", callsign}});
}

QList<dbRadioSegment*> DB::select_all_radio_segments()
{
    return selectRows<dbRadioSegment>("DB::select_all_radio_segments",
                                      "select * from RADIO_SEGMENTS order by FSTART ASC");
}

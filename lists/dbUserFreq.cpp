#include "lists/dbUserFreq.h"

#include "lists/SqlConnection.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

const QString dbUserFreq::connectionName = QStringLiteral("MY");
const QString dbUserFreq::defaultColor = QStringLiteral("#FF0066");

namespace {

// Set once a construction has made sure the table exists: after that it is
// not made again in the process. Until then every construction tries, so a
// database that could not be opened at first still gets its table.
bool tableReady = false;

} // namespace

dbUserFreq::dbUserFreq(QObject* parent) : dbBeacon(parent)
{
    if (tableReady)
        return;
    QSqlDatabase db;
    if (!SqlConnection::open(connectionName, &db)) {
        qDebug() << "dbUserFreq::dbUserFreq db not opened";
        return;
    }
    QSqlQuery query(db);
    if (!query.exec(createTableStatement())) {
        qDebug().noquote().nospace() << "dbUserFreq::dbUserFreq CREATE TABLE ? " << query.lastError().text();
        return;
    }
    tableReady = true;
}

QString dbUserFreq::createTableStatement()
{
    return QStringLiteral("CREATE TABLE if not exists FREQS ("
                          "\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,"
                          "\"FREQ\" UNSIGNED BIG INT,"
                          "\"CALLSIGN\" VARCHAR(20),"
                          "\"LAT\" REAL,"
                          "\"LON\" REAL,"
                          "\"COMMENT\" VARCHAR(100),"
                          "\"LOCATOR\" VARCHAR(10),"
                          "\"COLOR\" VARCHAR(10)"
                          ");");
}

void dbUserFreq::fillFromRecord(const QSqlRecord& record)
{
    fillSharedFields(record);
    const QString colorName = SqlConnection::value(record, "COLOR").toString();
    color = QColor(QColor::isValidColor(colorName) ? colorName : defaultColor);
}

dbUserFreq* dbUserFreq::fromRecord(const QSqlRecord& record)
{
    auto* memory = new dbUserFreq(nullptr);
    memory->fillFromRecord(record);
    return memory;
}

void dbUserFreq::loadData(int id)
{
    if (id < 0)
        id = ID;
    QSqlDatabase db;
    if (!SqlConnection::open(connectionName, &db)) {
        qDebug() << "dbUserFreq::loadData all db not opened";
        return;
    }
    QSqlQuery query(db);
    query.prepare("select * from FREQS where ID=:id");
    query.bindValue(":id", id);
    if (query.exec() && query.next())
        fillFromRecord(query.record());
}

void dbUserFreq::updateColumn(const char* operation, const QString& statement, const QVariant& value)
{
    if (ID < 0)
        return; // not stored yet: the object alone changes
    QSqlDatabase db;
    if (!SqlConnection::open(connectionName, &db)) {
        qDebug() << operation << "db not opened";
        return;
    }
    QSqlQuery query(db);
    query.prepare(statement);
    query.bindValue(":value", value);
    query.bindValue(":id", ID);
    if (!query.exec())
        qDebug().noquote().nospace() << operation << " " << query.lastError().text();
}

void dbUserFreq::setFrequency(qint64 freqHz)
{
    if (freqHz == 0)
        return;
    FREQ = static_cast<quint64>(freqHz);
    updateColumn("dbUserFreq::setFrequency", "update FREQS set FREQ= :value where ID= :id;", freqHz);
}

void dbUserFreq::setCallsign(const QString& callsign)
{
    CALLSIGN = callsign;
    updateColumn("dbUserFreq::setCallsign", "update FREQS set callsign=:value where ID= :id;", callsign);
}

void dbUserFreq::setComment(const QString& newComment)
{
    qDebug().noquote().nospace() << "dbUserFreq::setComment " << newComment;
    comment = newComment;
    updateColumn("dbUserFreq::setComment", "update FREQS set COMMENT=:value where ID= :id;", newComment);
}

int dbUserFreq::createUser(qint64 freqHz, const QString& callsign)
{
    QSqlDatabase db;
    if (!SqlConnection::open(connectionName, &db)) {
        qDebug() << "dbUserFreq::createUser db not opened";
        return 0;
    }
    QSqlQuery query(db);
    query.prepare("insert into FREQS (FREQ,CALLSIGN,COMMENT,COLOR) values (:FREQ,:CALLSIGN,:COMMENT,:COLOR)");
    query.bindValue(":FREQ", freqHz);
    query.bindValue(":CALLSIGN", callsign);
    query.bindValue(":COMMENT", "RX");
    query.bindValue(":COLOR", defaultColor);
    if (!query.exec()) {
        qDebug().noquote().nospace() << "dbUserFreq::createUser " << query.lastError().text();
        return 0;
    }
    ID = query.lastInsertId().toInt();
    qDebug().nospace() << " createUser() " << ID;
    return ID;
}

void dbUserFreq::deleteEntry(int id)
{
    QSqlDatabase db;
    if (!SqlConnection::open(connectionName, &db)) {
        qDebug() << "dbUserFreq::deleteEntry db not opened";
        return;
    }
    QSqlQuery query(db);
    query.prepare("delete from FREQS where ID= :id;");
    query.bindValue(":id", id);
    if (!query.exec())
        qDebug().noquote().nospace() << "dbUserFreq::deleteEntry " << query.lastError().text();
}

QList<dbUserFreq*> dbUserFreq::select_all(qint64 mini, qint64 maxi)
{
    qDebug().nospace() << " dbUserFreq::select_all " << mini << " " << maxi;
    QList<dbUserFreq*> memories;
    QSqlDatabase db;
    if (!SqlConnection::open(connectionName, &db)) {
        qDebug() << "dbUserFreq::select all db not opened";
        return memories;
    }
    QString statement = "select * from FREQS  where (FREQ>0) ";
    if (mini > 0)
        statement += " AND (FREQ >= :mini) ";
    if (maxi > 0)
        statement += " AND (FREQ <= :maxi) ";
    statement += " ORDER BY FREQ ASC";

    QSqlQuery query(db);
    query.prepare(statement);
    if (mini > 0)
        query.bindValue(":mini", mini);
    if (maxi > 0)
        query.bindValue(":maxi", maxi);
    if (!query.exec()) {
        qDebug().noquote().nospace() << "dbUserFreq::select_all " << query.lastError().text();
        return memories;
    }
    while (query.next())
        memories.append(fromRecord(query.record()));
    return memories;
}

bool dbUserFreq::isAmateur() const
{
    return true;
}

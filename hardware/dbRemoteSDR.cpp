#include "hardware/dbRemoteSDR.h"

#include "lists/SqlConnection.h"
#include "srvlib/SrvHttpClient.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

const QString dbRemoteSDR::connectionName = QStringLiteral("MY");

namespace {

// The database file on which the table creation last ran, whatever its
// result: it runs once per file, and again after a failed open.
QString tableCreatedIn;

} // namespace

dbRemoteSDR::dbRemoteSDR(QObject* parent) : QObject(parent)
{
    QSqlDatabase db;
    if (!SqlConnection::open(connectionName, &db)) {
        qDebug() << "dbRemoteSDR::dbRemoteSDR db not opened";
        return;
    }
    if (tableCreatedIn == db.databaseName())
        return;
    QSqlQuery query(db);
    if (!query.exec(createTableStatement()))
        qDebug().noquote().nospace() << "dbRemoteSDR::dbRemoteSDR CREATE TABLE ? "
                                     << query.lastError().text();
    tableCreatedIn = db.databaseName();
}

QString dbRemoteSDR::createTableStatement()
{
    return QStringLiteral("CREATE TABLE if not exists remote_sdr ("
                          "\"remote_id\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,"
                          "\"remote_ip\"  VARCHAR(100),"
                          "\"remote_port\" int,"
                          "\"public_key\" VARCHAR(250),"
                          "\"user_alias\" VARCHAR(50)"
                          ");");
}

void dbRemoteSDR::setData(int remoteId, const QString& address, int port, const QString& keyText,
                          const QString& alias)
{
    m_remoteId = remoteId;
    m_address = address;
    m_port = port;
    m_keyText = keyText;
    m_alias = alias;
    m_apiUrl = QStringLiteral("http://") + address + ":" + QString::number(port) + "/api";
}

void dbRemoteSDR::fillFromRecord(const QSqlRecord& record)
{
    setData(SqlConnection::value(record, "remote_id").toInt(),
            SqlConnection::value(record, "remote_ip").toString(),
            SqlConnection::value(record, "remote_port").toInt(),
            SqlConnection::value(record, "public_key").toString(),
            SqlConnection::value(record, "user_alias").toString());
}

dbRemoteSDR* dbRemoteSDR::fromRecord(const QSqlRecord& record)
{
    auto* row = new dbRemoteSDR(nullptr);
    row->fillFromRecord(record);
    return row;
}

void dbRemoteSDR::loadData(int remoteId)
{
    QSqlDatabase db;
    if (!SqlConnection::open(connectionName, &db)) {
        qDebug() << "dbRemoteSDR::loadData all db not opened";
        return;
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select * from remote_sdr where remote_id=:id"));
    query.bindValue(QStringLiteral(":id"), remoteId < 0 ? m_remoteId : remoteId);
    if (query.exec() && query.next())
        fillFromRecord(query.record());
}

bool dbRemoteSDR::create(const QString& address, int port, const QString& keyText, const QString& alias)
{
    QSqlDatabase db;
    if (!SqlConnection::open(connectionName, &db)) {
        qDebug() << "dbRemoteSDR::create db not opened";
        return false;
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral("insert into remote_sdr (remote_ip,remote_port,public_key,user_alias)"
                                 " values (:remote_ip,:remote_port,:public_key,:user_alias)"));
    query.bindValue(QStringLiteral(":remote_ip"), address);
    query.bindValue(QStringLiteral(":remote_port"), port);
    query.bindValue(QStringLiteral(":public_key"), keyText);
    query.bindValue(QStringLiteral(":user_alias"), alias);
    if (!query.exec()) {
        qDebug().noquote().nospace() << "dbRemoteSDR::create " << query.lastError().text();
        return false;
    }
    const int id = query.lastInsertId().toInt();
    qDebug() << "dbRemoteSDR::create remote_id" << id;
    setData(id, address, port, keyText, alias);
    return true;
}

QList<dbRemoteSDR*> dbRemoteSDR::select()
{
    QList<dbRemoteSDR*> rows;
    QSqlDatabase db;
    if (!SqlConnection::open(connectionName, &db)) {
        qDebug() << "dbRemoteSDR::select all db not opened";
        return rows;
    }
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("select * from remote_sdr")))
        return rows;
    while (query.next())
        rows.append(fromRecord(query.record()));
    return rows;
}

SrvHttpClient* dbRemoteSDR::makeClient() const
{
    // The address goes out in the encoding it was stored in (UTF-8), like the
    // one typed into the selection dialog.
    auto* client = new SrvHttpClient(m_address.toUtf8().constData(), m_port);
    if (!m_keyText.isEmpty()) {
        client->setServerKey(m_keyText.toUtf8().toStdString());
        client->setSessionUID(QUuid::createUuid().toString().toUtf8().constData());
    }
    return client;
}

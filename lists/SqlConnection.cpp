#include "lists/SqlConnection.h"

namespace SqlConnection {

bool open(const QString& connectionName, QSqlDatabase* db)
{
    *db = QSqlDatabase::database(connectionName, true);
    // Reopening an open SQLite connection would close it first, cutting off any
    // query still running on it: only a closed connection is opened again.
    return db->isOpen() || db->open();
}

QString defaultName()
{
    return QString::fromLatin1(QSqlDatabase::defaultConnection);
}

QVariant value(const QSqlRecord& record, const QString& column)
{
    const int index = record.indexOf(column);
    return index < 0 ? QVariant() : record.value(index);
}

} // namespace SqlConnection

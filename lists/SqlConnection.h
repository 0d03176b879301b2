#pragma once

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

// Helpers shared by the database row classes.
namespace SqlConnection {

// The registered connection of that name, opened when it was closed. False when
// the connection is unknown or cannot be opened.
bool open(const QString& connectionName, QSqlDatabase* db);

// Name of the application's default connection (the main database).
QString defaultName();

// The value of a column of a result row, matched without regard to letter case;
// an invalid value (reads as empty text or 0) when the row has no such column.
QVariant value(const QSqlRecord& record, const QString& column);

} // namespace SqlConnection

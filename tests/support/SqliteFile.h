#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

// A real SQLite file registered as a Qt connection for the life of the object
// (the default connection when the name is empty), removed again afterwards.
class SqliteFile
{
public:
    SqliteFile(const QString& path, const QString& connectionName = QString());
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    // Runs one statement with positional values; fails the test on error.
    void exec(const QString& statement, const QVariantList& values = {});
    // The first column of every result row, as text.
    QStringList column(const QString& statement);

private:
    QString m_connection;
};

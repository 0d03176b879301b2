#include "SqliteFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

SqliteFile::SqliteFile(const QString& path, const QString& connectionName)
    : m_connection(connectionName.isEmpty() ? QString::fromLatin1(QSqlDatabase::defaultConnection)
                                            : connectionName)
{
    QDir().mkpath(QFileInfo(path).path());
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", m_connection);
    db.setDatabaseName(path);
}

SqliteFile::~SqliteFile()
{
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

void SqliteFile::exec(const QString& statement, const QVariantList& values)
{
    QSqlQuery query(QSqlDatabase::database(m_connection));
    ASSERT_TRUE(query.prepare(statement))
        << statement.toStdString() << ": " << query.lastError().text().toStdString();
    for (const QVariant& value : values)
        query.addBindValue(value);
    ASSERT_TRUE(query.exec()) << statement.toStdString() << ": " << query.lastError().text().toStdString();
}

QStringList SqliteFile::column(const QString& statement)
{
    QStringList values;
    QSqlQuery query(QSqlDatabase::database(m_connection));
    EXPECT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
    while (query.next())
        values.append(query.value(0).toString());
    return values;
}

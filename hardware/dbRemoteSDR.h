#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QSqlRecord;
class SrvHttpClient;

// One saved remote receiver server: a row of the table remote_sdr in the
// personal database (connection "MY"). Discovery reads every row and builds a
// server client from each; the selection dialog stores a server the user typed
// in. Used on the GUI thread only.
class dbRemoteSDR : public QObject
{
    Q_OBJECT
public:
    static const QString connectionName;
    static const int defaultPort = 8080;

    // Makes sure the table exists: once per database file, and again by the
    // next construction when the database could not be opened.
    explicit dbRemoteSDR(QObject* parent = nullptr);

    static QString createTableStatement();

    void setData(int remoteId, const QString& address, int port, const QString& keyText,
                 const QString& alias);
    // A new object without parent, filled from one result row.
    static dbRemoteSDR* fromRecord(const QSqlRecord& record);
    // Fills this object from the row with that id (a negative id: this object's
    // own); the values stay when there is no such row.
    void loadData(int remoteId);
    // Inserts a row; on success this object takes the values and the new id.
    bool create(const QString& address, int port, const QString& keyText, const QString& alias);
    // Every row as new objects without parent (the caller deletes them); empty
    // when the database cannot be read.
    QList<dbRemoteSDR*> select();
    // A new client for this server (the caller owns it). With a key text the
    // client gets the key and a fresh session UID, so that its first sealed
    // requests already carry one.
    SrvHttpClient* makeClient() const;

    int remoteId() const { return m_remoteId; }
    const QString& address() const { return m_address; }
    int port() const { return m_port; }
    const QString& keyText() const { return m_keyText; }
    const QString& alias() const { return m_alias; }
    // "http://<address>:<port>/api", for debug lines.
    const QString& apiUrl() const { return m_apiUrl; }

private:
    void fillFromRecord(const QSqlRecord& record);

    int m_remoteId = 0;
    QString m_address;
    QString m_keyText;
    QString m_alias;
    int m_port = defaultPort;
    QString m_apiUrl;
};

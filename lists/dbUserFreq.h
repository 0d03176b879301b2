#pragma once

#include "lists/dbBeacon.h"

#include <QList>

// A personal memory: a frequency with a label, an optional position, a comment
// and a colour, kept in the table FREQS of the personal database (connection
// "MY"). A beacon row, so that memories travel wherever beacons do.
class dbUserFreq : public dbBeacon
{
    Q_OBJECT

public:
    // Constructions make sure the table exists, until one has managed to.
    explicit dbUserFreq(QObject* parent = nullptr);

    static QString createTableStatement();
    // A new row object (without parent) from one result row.
    static dbUserFreq* fromRecord(const QSqlRecord& record);
    // Fills this object from the row with that ID (its own ID when id < 0);
    // unchanged when there is no such row.
    void loadData(int id);

    // Each sets the value on the object, and on the row when the object has one.
    void setFrequency(qint64 freqHz); // 0 is ignored
    void setCallsign(const QString& callsign);
    void setComment(const QString& comment);

    // Inserts a new row (comment "RX", colour #FF0066) and takes its ID; 0 on
    // failure. The object's other fields are filled by loadData().
    int createUser(qint64 freqHz, const QString& callsign);
    static void deleteEntry(int id);
    // The memories with mini <= FREQ <= maxi by ascending frequency; a bound of 0
    // or below leaves that side open. Rows at 0 Hz are never returned.
    QList<dbUserFreq*> select_all(qint64 mini, qint64 maxi);

    bool isAmateur() const override;

    static const QString connectionName;
    static const QString defaultColor;

private:
    void fillFromRecord(const QSqlRecord& record);
    // Runs one update of this object's row, named by operation in the debug lines.
    void updateColumn(const char* operation, const QString& statement, const QVariant& value);
};

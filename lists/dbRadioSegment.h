#pragma once

#include <QObject>
#include <QSqlRecord>
#include <QString>

// One band-plan segment of the main database (table RADIO_SEGMENTS).
class dbRadioSegment : public QObject
{
    Q_OBJECT

public:
    explicit dbRadioSegment(QObject* parent = nullptr);
    ~dbRadioSegment() override;

    // A new segment object (without parent) from one result row.
    static dbRadioSegment* fromRecord(const QSqlRecord& record);
    static QString createTableStatement();

    qint64 ID = 0;
    quint64 FSTART = 0; // Hz
    quint64 FSTOP = 0;  // Hz
    QString NAME;
};

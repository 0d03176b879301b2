#pragma once

#include "lists/csv/AbstractData.h"

#include <QList>

namespace QtCSV {

// Rows of texts.
class StringData : public AbstractData
{
public:
    void appendEmptyRow() override;
    void appendRow(const QStringList& values) override;
    void appendRow(const QString& value);
    void clear() override;
    bool isEmpty() const override;
    int rowCount() const override;
    QStringList rowAt(int row) const override;

    // Before row; row <= 0 inserts in front, row >= rowCount() appends.
    void insertRowAt(int row, const QString& value);
    void insertRowAt(int row, const QStringList& values);
    // Nothing happens for a row outside the table.
    void removeRowAt(int row);
    void replaceRowAt(int row, const QString& value);
    void replaceRowAt(int row, const QStringList& values);
    void reserveRows(int count);

    StringData& operator<<(const QString& value);
    StringData& operator<<(const QStringList& values);
    bool operator==(const StringData& other) const { return m_rows == other.m_rows; }
    bool operator!=(const StringData& other) const { return !(*this == other); }

private:
    QList<QStringList> m_rows;
};

} // namespace QtCSV

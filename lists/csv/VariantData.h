#pragma once

#include "lists/csv/AbstractData.h"

#include <QList>
#include <QVariant>

namespace QtCSV {

// Rows of variants. A value is accepted only when it converts to text; the
// forms taking variants return false, and change nothing, for any other value.
class VariantData : public AbstractData
{
public:
    void appendEmptyRow() override;
    void appendRow(const QStringList& values) override;
    bool appendRow(const QVariant& value);
    bool appendRow(const QList<QVariant>& values);
    void clear() override;
    bool isEmpty() const override;
    int rowCount() const override;
    QStringList rowAt(int row) const override;

    // Before row; row <= 0 inserts in front, row >= rowCount() appends.
    bool insertRowAt(int row, const QVariant& value);
    bool insertRowAt(int row, const QList<QVariant>& values);
    void insertRowAt(int row, const QStringList& values);
    // Nothing happens for a row outside the table.
    void removeRowAt(int row);
    bool replaceRowAt(int row, const QVariant& value);
    bool replaceRowAt(int row, const QList<QVariant>& values);
    void replaceRowAt(int row, const QStringList& values);
    void reserveRows(int count);

    VariantData& operator<<(const QVariant& value);
    VariantData& operator<<(const QList<QVariant>& values);
    VariantData& operator<<(const QStringList& values);
    bool operator==(const VariantData& other) const { return m_rows == other.m_rows; }
    bool operator!=(const VariantData& other) const { return !(*this == other); }

private:
    static bool allConvertToText(const QList<QVariant>& values);
    static QList<QVariant> toVariants(const QStringList& values);

    QList<QList<QVariant>> m_rows;
};

} // namespace QtCSV

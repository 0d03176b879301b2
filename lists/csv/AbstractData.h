#pragma once

#include <QStringList>

namespace QtCSV {

// A table of rows, each row a list of values, as the CSV writer reads it and
// the CSV reader fills it.
class AbstractData
{
public:
    virtual ~AbstractData() = default;

    virtual void appendEmptyRow() = 0;
    virtual void appendRow(const QStringList& values) = 0;
    virtual void clear() = 0;
    virtual bool isEmpty() const = 0;
    virtual int rowCount() const = 0;
    // The values of a row as texts; empty outside 0 .. rowCount() - 1.
    virtual QStringList rowAt(int row) const = 0;
};

} // namespace QtCSV

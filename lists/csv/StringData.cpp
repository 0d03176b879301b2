#include "lists/csv/StringData.h"

#include <algorithm>

namespace QtCSV {

void StringData::appendEmptyRow()
{
    m_rows.append(QStringList());
}

void StringData::appendRow(const QStringList& values)
{
    m_rows.append(values);
}

void StringData::appendRow(const QString& value)
{
    m_rows.append(QStringList{value});
}

void StringData::clear()
{
    m_rows.clear();
}

bool StringData::isEmpty() const
{
    return m_rows.isEmpty();
}

int StringData::rowCount() const
{
    return m_rows.size();
}

QStringList StringData::rowAt(int row) const
{
    return m_rows.value(row);
}

void StringData::insertRowAt(int row, const QString& value)
{
    insertRowAt(row, QStringList{value});
}

void StringData::insertRowAt(int row, const QStringList& values)
{
    m_rows.insert(std::clamp(row, 0, m_rows.size()), values);
}

void StringData::removeRowAt(int row)
{
    if (row >= 0 && row < m_rows.size())
        m_rows.removeAt(row);
}

void StringData::replaceRowAt(int row, const QString& value)
{
    replaceRowAt(row, QStringList{value});
}

void StringData::replaceRowAt(int row, const QStringList& values)
{
    if (row >= 0 && row < m_rows.size())
        m_rows[row] = values;
}

void StringData::reserveRows(int count)
{
    m_rows.reserve(count);
}

StringData& StringData::operator<<(const QString& value)
{
    appendRow(value);
    return *this;
}

StringData& StringData::operator<<(const QStringList& values)
{
    appendRow(values);
    return *this;
}

} // namespace QtCSV

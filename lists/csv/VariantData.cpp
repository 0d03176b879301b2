#include "lists/csv/VariantData.h"

#include <algorithm>

namespace QtCSV {

bool VariantData::allConvertToText(const QList<QVariant>& values)
{
    return std::all_of(values.begin(), values.end(),
                       [](const QVariant& value) { return value.canConvert<QString>(); });
}

QList<QVariant> VariantData::toVariants(const QStringList& values)
{
    QList<QVariant> variants;
    variants.reserve(values.size());
    for (const QString& value : values)
        variants.append(value);
    return variants;
}

void VariantData::appendEmptyRow()
{
    m_rows.append(QList<QVariant>());
}

void VariantData::appendRow(const QStringList& values)
{
    m_rows.append(toVariants(values));
}

bool VariantData::appendRow(const QVariant& value)
{
    return appendRow(QList<QVariant>{value});
}

bool VariantData::appendRow(const QList<QVariant>& values)
{
    if (!allConvertToText(values))
        return false;
    m_rows.append(values);
    return true;
}

void VariantData::clear()
{
    m_rows.clear();
}

bool VariantData::isEmpty() const
{
    return m_rows.isEmpty();
}

int VariantData::rowCount() const
{
    return m_rows.size();
}

QStringList VariantData::rowAt(int row) const
{
    QStringList texts;
    for (const QVariant& value : m_rows.value(row))
        texts.append(value.toString());
    return texts;
}

bool VariantData::insertRowAt(int row, const QVariant& value)
{
    return insertRowAt(row, QList<QVariant>{value});
}

bool VariantData::insertRowAt(int row, const QList<QVariant>& values)
{
    if (!allConvertToText(values))
        return false;
    m_rows.insert(std::clamp(row, 0, m_rows.size()), values);
    return true;
}

void VariantData::insertRowAt(int row, const QStringList& values)
{
    m_rows.insert(std::clamp(row, 0, m_rows.size()), toVariants(values));
}

void VariantData::removeRowAt(int row)
{
    if (row >= 0 && row < m_rows.size())
        m_rows.removeAt(row);
}

bool VariantData::replaceRowAt(int row, const QVariant& value)
{
    return replaceRowAt(row, QList<QVariant>{value});
}

bool VariantData::replaceRowAt(int row, const QList<QVariant>& values)
{
    if (row < 0 || row >= m_rows.size() || !allConvertToText(values))
        return false;
    m_rows[row] = values;
    return true;
}

void VariantData::replaceRowAt(int row, const QStringList& values)
{
    if (row >= 0 && row < m_rows.size())
        m_rows[row] = toVariants(values);
}

void VariantData::reserveRows(int count)
{
    m_rows.reserve(count);
}

VariantData& VariantData::operator<<(const QVariant& value)
{
    appendRow(value);
    return *this;
}

VariantData& VariantData::operator<<(const QList<QVariant>& values)
{
    appendRow(values);
    return *this;
}

VariantData& VariantData::operator<<(const QStringList& values)
{
    appendRow(values);
    return *this;
}

} // namespace QtCSV

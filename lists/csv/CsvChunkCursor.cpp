#include "lists/csv/CsvChunkCursor.h"

#include <algorithm>

namespace QtCSV {

CsvChunkCursor::CsvChunkCursor(const AbstractData& data, const QString& separator,
                               const QString& textDelimiter, const QStringList& header,
                               const QStringList& footer, int chunkSize)
    : m_data(data), m_separator(separator), m_textDelimiter(textDelimiter), m_header(header),
      m_footer(footer), m_chunkSize(std::max(1, chunkSize))
{
}

bool CsvChunkCursor::isEmpty() const
{
    return m_data.isEmpty() && m_header.isEmpty() && m_footer.isEmpty();
}

QString CsvChunkCursor::nextChunk()
{
    if (m_ended)
        return QString();
    QString chunk;
    int lines = 0;
    if (m_nextRow < 0) {
        if (!m_header.isEmpty()) {
            chunk += composeLine(m_header, m_separator, m_textDelimiter);
            ++lines;
        }
        m_nextRow = 0;
    }
    const int stop = std::min(m_data.rowCount(), m_nextRow + m_chunkSize - lines);
    for (; m_nextRow < stop; ++m_nextRow, ++lines)
        chunk += composeLine(m_data.rowAt(m_nextRow), m_separator, m_textDelimiter);
    if (lines < m_chunkSize) {
        // The data is exhausted: the footer closes the last chunk.
        if (!m_footer.isEmpty())
            chunk += composeLine(m_footer, m_separator, m_textDelimiter);
        m_ended = true;
    }
    return chunk;
}

QString CsvChunkCursor::composeLine(const QStringList& values, const QString& separator,
                                    const QString& textDelimiter)
{
    QStringList enclosed;
    enclosed.reserve(values.size());
    for (QString value : values) {
        if (!textDelimiter.isEmpty()) {
            value.replace(textDelimiter, textDelimiter + textDelimiter);
            enclosed.append(textDelimiter + value + textDelimiter);
        } else if ((!separator.isEmpty() && value.contains(separator)) || value.contains('\r') ||
                   value.contains('\n')) {
            enclosed.append('"' + value + '"');
        } else {
            enclosed.append(value);
        }
    }
    return enclosed.join(separator) + "\r\n";
}

} // namespace QtCSV

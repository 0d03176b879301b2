#pragma once

#include "lists/csv/AbstractData.h"

#include <QString>
#include <QStringList>

namespace QtCSV {

// Walks a table in chunks of at most chunkSize lines (the header counts in the
// first chunk, the footer in the last), so that large tables are written piece
// by piece. Holds references: the table and texts must outlive the cursor.
class CsvChunkCursor
{
public:
    CsvChunkCursor(const AbstractData& data, const QString& separator, const QString& textDelimiter,
                   const QStringList& header, const QStringList& footer, int chunkSize = 1000);

    // No data row, no header value and no footer value.
    bool isEmpty() const;
    bool hasNext() const { return !m_ended; }
    // The next lines, each ending with CR LF; empty once the end is reached.
    QString nextChunk();

    // One line: values enclosed in the delimiter (their delimiters doubled) and
    // joined by the separator. Without a delimiter, only values holding the
    // separator or a line break are enclosed, in double quotes.
    static QString composeLine(const QStringList& values, const QString& separator,
                               const QString& textDelimiter);

private:
    const AbstractData& m_data;
    const QString& m_separator;
    const QString& m_textDelimiter;
    const QStringList& m_header;
    const QStringList& m_footer;
    const int m_chunkSize;
    int m_nextRow = -1; // -1 until the header has been handled
    bool m_ended = false;
};

} // namespace QtCSV

#include "lists/csv/CsvRowParser.h"

namespace QtCSV {

CsvRowParser::CsvRowParser(const QString& separator, const QString& textDelimiter)
    : m_separator(separator), m_delimiter(textDelimiter)
{
}

void CsvRowParser::endField()
{
    m_row.append(m_field);
    m_field.clear();
    m_state = State::FieldStart;
}

void CsvRowParser::endRow()
{
    m_rows.append(m_row);
    m_row.clear();
}

void CsvRowParser::addLine(const QString& line)
{
    if (m_state == State::Quoted) {
        m_field += '\n'; // the line break belongs to the quoted value
    } else if (line.isEmpty()) {
        m_rows.append(QStringList());
        return;
    }

    // Separators found in an unquoted value or after a closing delimiter.
    auto takeUpToSeparator = [&](int from) {
        const int at = m_separator.isEmpty() ? -1 : line.indexOf(m_separator, from);
        m_field += line.midRef(from, at < 0 ? -1 : at - from);
        return at < 0 ? -1 : at + m_separator.size();
    };

    int pos = 0;
    for (;;) {
        switch (m_state) {
        case State::FieldStart:
            if (!m_delimiter.isEmpty() && line.midRef(pos).startsWith(m_delimiter)) {
                pos += m_delimiter.size();
                m_state = State::Quoted;
                break;
            }
            pos = takeUpToSeparator(pos);
            endField();
            if (pos < 0) {
                endRow();
                return;
            }
            break;
        case State::Quoted: {
            const int at = line.indexOf(m_delimiter, pos);
            if (at < 0) {
                m_field += line.midRef(pos);
                return; // the value goes on in the next line
            }
            m_field += line.midRef(pos, at - pos);
            pos = at + m_delimiter.size();
            if (line.midRef(pos).startsWith(m_delimiter)) {
                m_field += m_delimiter; // an escaped delimiter
                pos += m_delimiter.size();
            } else {
                m_state = State::AfterQuote;
            }
            break;
        }
        case State::AfterQuote:
            // Text between a closing delimiter and the next separator is kept as it is.
            pos = takeUpToSeparator(pos);
            endField();
            if (pos < 0) {
                endRow();
                return;
            }
            break;
        }
    }
}

void CsvRowParser::finish()
{
    if (m_state == State::Quoted) {
        endField();
        endRow();
    }
}

} // namespace QtCSV

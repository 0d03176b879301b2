#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace QtCSV {

// Turns the lines of a CSV text into rows. A value that starts with the text
// delimiter is quoted: it runs to the next single delimiter, may hold separators
// and line breaks, and a doubled delimiter inside it stands for one. Other
// values run to the next separator and are taken as they are.
class CsvRowParser
{
public:
    CsvRowParser(const QString& separator, const QString& textDelimiter);

    // One line without its line break. An empty line outside a quoted value is
    // an empty row.
    void addLine(const QString& line);
    // Ends the text: a quoted value left open keeps what it has read.
    void finish();
    // The rows completed so far.
    const QList<QStringList>& rows() const { return m_rows; }

private:
    enum class State { FieldStart, Quoted, AfterQuote };

    void endField();
    void endRow();

    const QString m_separator;
    const QString m_delimiter;
    QList<QStringList> m_rows;
    QStringList m_row;
    QString m_field;
    State m_state = State::FieldStart;
};

} // namespace QtCSV

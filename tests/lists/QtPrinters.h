#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Readable Qt values in test failure messages.
inline std::ostream& operator<<(std::ostream& out, const QString& text)
{
    return out << '"' << text.toStdString() << '"';
}

inline std::ostream& operator<<(std::ostream& out, const QStringList& list)
{
    out << '[';
    for (int i = 0; i < list.size(); ++i)
        out << (i ? ", " : "") << list.at(i);
    return out << ']';
}

// gtest would otherwise print texts character by character, as containers.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text;
}

inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << list;
}

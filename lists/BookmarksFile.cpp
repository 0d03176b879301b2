// The bookmarks file: a tag section (name; colour), an empty line, then a
// bookmark section (frequency; name; modulation; bandwidth; tags), in UTF-8.
#include "lists/Bookmarks.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

namespace {

const QString fieldSeparator = QStringLiteral("; ");

// A number column: blanks around the digits are allowed, anything else reads as 0.
qint64 readNumber(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

qint64 readInt32(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

void reportIgnoredLine(const QString& line)
{
    std::printf("\nBookmarks: Ignoring Line:\n  %s\n", line.toLatin1().constData());
    std::fflush(stdout);
}

// One line of the file: white space trimmed, decoded as UTF-8 up to a NUL byte.
QString decodeLine(QByteArray bytes)
{
    bytes = bytes.trimmed();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QString::fromUtf8(bytes);
}

} // namespace

void Bookmarks::setBookmarksDir(const QString& dir)
{
    m_file = dir + "/bookmarks.csv";
    std::printf("BookmarksFile is %s\n", m_file.toUtf8().constData());
    std::fflush(stdout);
}

QString Bookmarks::bookmarksFile() const
{
    return m_file;
}

void Bookmarks::parseTagLine(const QString& line)
{
    const QStringList parts = line.split(';');
    if (parts.size() != 2) {
        reportIgnoredLine(line);
        return;
    }
    BookmarkTag* tag = findOrCreateTag(parts.at(0));
    tag->color = QColor(parts.at(1).trimmed());
}

void Bookmarks::parseBookmarkLine(const QString& line)
{
    const QStringList parts = line.split(';');
    if (parts.size() != 5) {
        reportIgnoredLine(line);
        return;
    }
    BookmarkEntry entry;
    entry.frequency = readNumber(parts.at(0));
    entry.name = parts.at(1).trimmed();
    entry.modulation = parts.at(2).trimmed();
    entry.bandwidth = readInt32(parts.at(3));
    for (const QString& tagName : parts.at(4).split(','))
        entry.tags.append(findOrCreateTag(tagName));
    LockGuard guard(m_lock);
    m_entries.append(entry);
}

bool Bookmarks::loadFile()
{
    QFile file(m_file);
    if (m_file.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;

    {
        LockGuard guard(m_lock);
        m_entries.clear();
        m_tags.clear();
    }
    findOrCreateTag(untaggedName);

    bool inTagSection = true;
    while (!file.atEnd()) {
        const QString line = decodeLine(file.readLine());
        if (inTagSection) {
            if (line.isEmpty())
                inTagSection = false;
            else if (!line.startsWith('#'))
                parseTagLine(line);
        } else if (!line.isEmpty() && !line.startsWith('#')) {
            parseBookmarkLine(line);
        }
    }
    file.close();

    {
        LockGuard guard(m_lock);
        sortLocked();
    }
    emit BookmarksChanged();
    return true;
}

bool Bookmarks::saveFile()
{
    if (m_file.isEmpty())
        return false;
    // Written beside the old file and renamed over it, so a failed write keeps it.
    QSaveFile file(m_file);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;

    const QList<BookmarkEntry> entries = bookmarks();
    QList<BookmarkTag*> usedTags;
    for (BookmarkTag* tag : tags()) {
        const bool used = std::any_of(entries.begin(), entries.end(),
                                      [tag](const BookmarkEntry& entry) { return entry.tags.contains(tag); });
        if (used)
            usedTags.append(tag);
    }

    QTextStream out(&file);
    out.setCodec("UTF-8");
    out << QStringLiteral("# Tag name").leftJustified(20) << fieldSeparator << " color\n";
    for (const BookmarkTag* tag : qAsConst(usedTags))
        out << tag->name.leftJustified(20) << fieldSeparator << tag->color.name() << "\n";
    out << "\n";

    out << QStringLiteral("# Frequency").leftJustified(12) << fieldSeparator
        << QStringLiteral("Name").leftJustified(25) << fieldSeparator
        << QStringLiteral("Modulation").leftJustified(20) << fieldSeparator
        << QStringLiteral("Bandwidth").rightJustified(10) << fieldSeparator << "Tags\n";
    for (const BookmarkEntry& entry : entries) {
        QStringList tagNames;
        for (const BookmarkTag* tag : entry.tags)
            tagNames.append(tag->name);
        out << QString::number(entry.frequency).rightJustified(12) << fieldSeparator
            << entry.name.leftJustified(25) << fieldSeparator << entry.modulation.leftJustified(20)
            << fieldSeparator << QString::number(entry.bandwidth).rightJustified(10) << fieldSeparator
            << tagNames.join(',') << "\n";
    }
    out.flush();
    return out.status() == QTextStream::Ok && file.commit();
}

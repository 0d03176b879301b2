#include "lists/Bookmarks.h"

#include <QDebug>
#include <QSet>
#include <algorithm>

const QString Bookmarks::untaggedName = QStringLiteral("Untagged");

Bookmarks* Bookmarks::instance()
{
    static Bookmarks store; // made once, safely against two first callers
    return &store;
}

Bookmarks::Bookmarks()
{
    auto untagged = std::make_unique<BookmarkTag>();
    untagged->name = untaggedName;
    m_tags.push_back(std::move(untagged));
}

Bookmarks::~Bookmarks() = default;

void Bookmarks::sortLocked()
{
    std::sort(m_entries.begin(), m_entries.end());
}

void Bookmarks::addBookmark(const BookmarkEntry& entry)
{
    {
        LockGuard guard(m_lock);
        m_entries.append(entry);
        sortLocked();
    }
    emit BookmarksChanged();
}

QList<BookmarkEntry> Bookmarks::bookmarksInRange(qint64 low, qint64 high, float maxDistance)
{
    QList<BookmarkEntry> found;
    LockGuard guard(m_lock);
    for (const BookmarkEntry& entry : qAsConst(m_entries)) {
        if (entry.frequency < low || entry.frequency > high)
            continue;
        const bool tooFar = maxDistance > 0 && entry.distance > 0 && entry.distance > maxDistance;
        if (!tooFar)
            found.append(entry);
    }
    return found;
}

QList<BookmarkEntry> Bookmarks::bookmarks() const
{
    LockGuard guard(m_lock);
    return m_entries;
}

int Bookmarks::count() const
{
    LockGuard guard(m_lock);
    return m_entries.size();
}

void Bookmarks::clearMemories()
{
    {
        LockGuard guard(m_lock);
        int i = 0;
        while (i < m_entries.size()) {
            if (m_entries.at(i).memory) {
                qDebug().noquote().nospace() << "clearing " << m_entries.at(i).name;
                m_entries.removeAt(i);
            } else {
                ++i;
            }
        }
    }
    emit BookmarksChanged();
}

void Bookmarks::removeAt(int index)
{
    {
        LockGuard guard(m_lock);
        if (index >= 0 && index < m_entries.size())
            m_entries.removeAt(index);
    }
    emit BookmarksChanged();
}

void Bookmarks::removeUnlinkedInRange(qint64 low, qint64 high)
{
    {
        LockGuard guard(m_lock);
        auto unlinkedInRange = [low, high](const BookmarkEntry& entry) {
            return entry.beacon == nullptr && entry.frequency >= low && entry.frequency <= high;
        };
        m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), unlinkedInRange), m_entries.end());
    }
    emit BookmarksChanged();
}

void Bookmarks::removeLinkedTo(const QList<dbBeacon*>& rows)
{
    {
        LockGuard guard(m_lock);
        const QSet<const dbBeacon*> linked(rows.cbegin(), rows.cend());
        auto linkedToRows = [&linked](const BookmarkEntry& entry) { return linked.contains(entry.beacon); };
        m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), linkedToRows), m_entries.end());
    }
    emit BookmarksChanged();
}

int Bookmarks::tagIndexLocked(const QString& trimmedName) const
{
    for (size_t i = 0; i < m_tags.size(); ++i) {
        if (m_tags[i]->name == trimmedName)
            return static_cast<int>(i);
    }
    return -1;
}

int Bookmarks::tagIndex(const QString& name)
{
    LockGuard guard(m_lock);
    return tagIndexLocked(name.trimmed());
}

BookmarkTag* Bookmarks::findOrCreateTagLocked(const QString& name, bool* created)
{
    QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        trimmed = untaggedName;
    *created = false;
    const int index = tagIndexLocked(trimmed);
    if (index >= 0)
        return m_tags[index].get();
    auto tag = std::make_unique<BookmarkTag>();
    tag->name = trimmed;
    m_tags.push_back(std::move(tag));
    *created = true;
    return m_tags.back().get();
}

BookmarkTag* Bookmarks::findOrCreateTag(const QString& name)
{
    bool created = false;
    BookmarkTag* tag = nullptr;
    {
        LockGuard guard(m_lock);
        tag = findOrCreateTagLocked(name, &created);
    }
    if (created)
        emit TagListChanged();
    return tag;
}

bool Bookmarks::setTagShown(const QString& name, bool shown)
{
    {
        LockGuard guard(m_lock);
        const int index = tagIndexLocked(name.trimmed());
        if (index < 0)
            return false;
        m_tags[index]->shown = shown;
    }
    emit BookmarksChanged();
    emit TagListChanged();
    return true;
}

bool Bookmarks::deleteTag(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed == untaggedName)
        return false;
    bool untaggedCreated = false;
    {
        LockGuard guard(m_lock);
        const int index = tagIndexLocked(trimmed);
        if (index < 0)
            return false;
        BookmarkTag* doomed = m_tags[index].get();
        for (BookmarkEntry& entry : m_entries) {
            int i = 0;
            while (i < entry.tags.size()) {
                if (entry.tags.at(i) != doomed) {
                    ++i;
                } else if (entry.tags.size() < 2) {
                    // The entry's last tag: it falls back to "Untagged".
                    bool created = false;
                    entry.tags[i] = findOrCreateTagLocked(untaggedName, &created);
                    untaggedCreated = untaggedCreated || created;
                    ++i;
                } else {
                    entry.tags.removeAt(i);
                }
            }
        }
        m_tags.erase(
            std::find_if(m_tags.begin(), m_tags.end(),
                         [doomed](const std::unique_ptr<BookmarkTag>& tag) { return tag.get() == doomed; }));
    }
    if (untaggedCreated)
        emit TagListChanged();
    emit BookmarksChanged();
    emit TagListChanged();
    return true;
}

QList<BookmarkTag*> Bookmarks::tags() const
{
    LockGuard guard(m_lock);
    QList<BookmarkTag*> list;
    for (const auto& tag : m_tags)
        list.append(tag.get());
    return list;
}

#pragma once

#include "lists/BookmarkEntry.h"

#include <QList>
#include <QObject>
#include <QSemaphore>
#include <QString>
#include <memory>
#include <vector>

// The process-wide list of labelled frequencies that the spectrum displays draw
// (band-plan edges, beacons, memories, broadcast stations, spots), kept sorted
// by frequency, with the tags the entries may carry.
//
// The store is used from the GUI thread; its lock only guards the lists against
// a reader on another thread and is never held while a signal is emitted.
class Bookmarks : public QObject
{
    Q_OBJECT

public:
    // The one store of the program, made on first use and destroyed at exit.
    static Bookmarks* instance();

    // A store of its own, for code (and tests) that needs one apart from the
    // program's shared store.
    Bookmarks();
    ~Bookmarks() override;

    // Appends a copy and keeps the entries sorted by ascending frequency.
    void addBookmark(const BookmarkEntry& entry);
    // Entries with low <= frequency <= high, in stored order. With maxDistance > 0,
    // entries whose known distance exceeds it are left out.
    QList<BookmarkEntry> bookmarksInRange(qint64 low, qint64 high, float maxDistance);
    // Every entry, in stored order.
    QList<BookmarkEntry> bookmarks() const;
    int count() const;

    void clearMemories();
    void removeAt(int index);
    // Removes the entries linked to no row within [low, high].
    void removeUnlinkedInRange(qint64 low, qint64 high);
    // Removes the entries linked to any of rows, before those rows are freed.
    void removeLinkedTo(const QList<dbBeacon*>& rows);

    // Index of the tag with that name (blanks around the name ignored), or -1.
    int tagIndex(const QString& name);
    // The tag of that name, made (light grey, shown) when missing; a blank name
    // means "Untagged".
    BookmarkTag* findOrCreateTag(const QString& name);
    bool setTagShown(const QString& name, bool shown);
    // Removes a tag; entries left without a tag get "Untagged". "Untagged" itself
    // cannot be removed.
    bool deleteTag(const QString& name);
    // The tag records in list order; "Untagged" first.
    QList<BookmarkTag*> tags() const;

    // The bookmarks file "bookmarks.csv" in dir.
    void setBookmarksDir(const QString& dir);
    QString bookmarksFile() const;
    // Replaces entries and tags with the file's content; false when it cannot be read.
    bool loadFile();
    // Writes the referenced tags and all entries; false when the file cannot be written.
    bool saveFile();

    static const QString untaggedName;

signals:
    void BookmarksChanged();
    void TagListChanged();

private:
    // Holds the store's one-permit lock for a scope.
    class LockGuard
    {
    public:
        explicit LockGuard(QSemaphore& lock) : m_lock(lock) { m_lock.acquire(); }
        ~LockGuard() { m_lock.release(); }
        LockGuard(const LockGuard&) = delete;
        LockGuard& operator=(const LockGuard&) = delete;

    private:
        QSemaphore& m_lock;
    };

    int tagIndexLocked(const QString& trimmedName) const;
    BookmarkTag* findOrCreateTagLocked(const QString& name, bool* created);
    void sortLocked();
    void parseTagLine(const QString& line);
    void parseBookmarkLine(const QString& line);

    QList<BookmarkEntry> m_entries;
    std::vector<std::unique_ptr<BookmarkTag>> m_tags;
    QString m_file;
    mutable QSemaphore m_lock{1};
};

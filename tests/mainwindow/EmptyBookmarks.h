#pragma once

#include "lists/Bookmarks.h"

// Keeps the process-wide bookmark store, which a window fills, empty when a
// window test starts and once it has ended. A fixture holds it ahead of its
// window, so that the store is emptied after the window is gone (the window
// takes out only the entries made from its own rows).
class EmptyBookmarks
{
public:
    EmptyBookmarks() { empty(); }
    ~EmptyBookmarks() { empty(); }
    EmptyBookmarks(const EmptyBookmarks&) = delete;
    EmptyBookmarks& operator=(const EmptyBookmarks&) = delete;

private:
    static void empty()
    {
        Bookmarks* store = Bookmarks::instance();
        for (int i = store->count() - 1; i >= 0; --i)
            store->removeAt(i);
    }
};

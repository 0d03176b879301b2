#include "lists/BookmarkEntry.h"

bool BookmarkEntry::hasShownTag() const
{
    for (const BookmarkTag* tag : tags) {
        if (tag->shown)
            return true;
    }
    return false;
}

#pragma once

#include <QString>

class MapTileSource;
class QThread;

// The worker threads tile sources live in: one per source shown by a map view
// and one per layer of a composite source. The one who starts a thread joins it.
namespace TileThreads {

// A new thread named name, started with inherited priority, with source moved
// into it (call from the source's thread). The thread quits as soon as the
// source is destroyed.
QThread* host(MapTileSource* source, const QString& name);

// Waits at most timeoutMs for the thread to end, then deletes it; it serves no
// events meanwhile. A thread still running then deletes itself once it ends.
// True when it ended in time.
bool join(QThread* thread, int timeoutMs);

// Lets a thread whose source lives on elsewhere delete itself once it ends.
void releaseWhenFinished(QThread* thread);

} // namespace TileThreads

#pragma once

#include <QNetworkReply>

// Whether the tile server answers, as the replies to tile requests tell it.
// Offline every tile fails the same way, so the log gets one line when the
// server stops answering and one when it answers again, not one per tile.
class TileServerReachability
{
public:
    enum Change { Unchanged, Lost, Regained };

    // Takes the outcome of one tile reply (NoError for a tile that came;
    // timedOut when the source gave up waiting) and tells whether the server
    // just stopped or started answering.
    Change noteReply(QNetworkReply::NetworkError error, bool timedOut);
    bool isReachable() const { return m_reachable; }

    // True when nothing came back from the server: no connection, no name,
    // a transport or proxy failure, or our own time-out. An error page, a
    // redirect loop or a reply cut for its size is an answer.
    static bool isNoAnswer(QNetworkReply::NetworkError error, bool timedOut);

private:
    bool m_reachable = true;
};

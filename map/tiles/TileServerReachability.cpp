#include "TileServerReachability.h"

TileServerReachability::Change TileServerReachability::noteReply(QNetworkReply::NetworkError error,
                                                                 bool timedOut)
{
    const bool reachable = !isNoAnswer(error, timedOut);
    if (reachable == m_reachable)
        return Unchanged;
    m_reachable = reachable;
    return reachable ? Regained : Lost;
}

bool TileServerReachability::isNoAnswer(QNetworkReply::NetworkError error, bool timedOut)
{
    if (timedOut)
        return true;
    switch (error) {
    case QNetworkReply::NoError:
    // Our size limit cuts a reply that did come; a time-out is flagged apart.
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return false;
    default:
        break;
    }
    // Qt numbers the connection-level errors below 100 and the proxy errors
    // from 101 to 199; content, protocol and server errors come above.
    const int code = int(error);
    return code < 200;
}

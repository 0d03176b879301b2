#include "map/tiles/TileServerReachability.h"

#include <gtest/gtest.h>

TEST(TileServerReachability, OnlyRepliesThatNeverReachedTheServerCountAsNoAnswer)
{
    const struct
    {
        QNetworkReply::NetworkError error;
        bool timedOut;
        bool noAnswer;
    } cases[] = {
        {QNetworkReply::NoError, false, false},
        {QNetworkReply::ConnectionRefusedError, false, true},
        {QNetworkReply::HostNotFoundError, false, true},
        {QNetworkReply::RemoteHostClosedError, false, true},
        {QNetworkReply::TemporaryNetworkFailureError, false, true},
        {QNetworkReply::SslHandshakeFailedError, false, true},
        {QNetworkReply::UnknownNetworkError, false, true},
        {QNetworkReply::ProxyConnectionRefusedError, false, true},
        {QNetworkReply::UnknownProxyError, false, true},
        // Our own abort: a time-out is no answer, a reply cut at the size limit is one.
        {QNetworkReply::OperationCanceledError, true, true},
        {QNetworkReply::OperationCanceledError, false, false},
        {QNetworkReply::TooManyRedirectsError, false, false},
        {QNetworkReply::InsecureRedirectError, false, false},
        {QNetworkReply::ContentNotFoundError, false, false},
        {QNetworkReply::ProtocolFailure, false, false},
        {QNetworkReply::InternalServerError, false, false},
        {QNetworkReply::ServiceUnavailableError, false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TileServerReachability::isNoAnswer(c.error, c.timedOut), c.noAnswer)
            << int(c.error) << (c.timedOut ? " timed out" : "");
}

TEST(TileServerReachability, ReportsOnlyTheChangesOfState)
{
    using R = TileServerReachability;
    const struct
    {
        QNetworkReply::NetworkError error;
        R::Change change;
    } replies[] = {
        {QNetworkReply::NoError, R::Unchanged},
        {QNetworkReply::ContentNotFoundError, R::Unchanged},
        {QNetworkReply::ConnectionRefusedError, R::Lost},
        {QNetworkReply::ConnectionRefusedError, R::Unchanged},
        {QNetworkReply::HostNotFoundError, R::Unchanged},
        {QNetworkReply::ContentNotFoundError, R::Regained},
        {QNetworkReply::NoError, R::Unchanged},
        {QNetworkReply::TimeoutError, R::Lost},
        {QNetworkReply::NoError, R::Regained},
    };
    TileServerReachability server;
    int index = 0;
    for (const auto& reply : replies) {
        EXPECT_EQ(server.noteReply(reply.error, false), reply.change) << "reply " << index;
        EXPECT_EQ(server.isReachable(), !R::isNoAnswer(reply.error, false)) << "reply " << index;
        ++index;
    }
}

#include "RemoteTestServer.h"

#include "hardware/dbRemoteSDR.h"
#include "srvlib/SrvHttpClient.h"
#include "srvlib/SrvServer.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>
#include <gtest/gtest.h>

std::string uniqueUid(const std::string& stem)
{
    static int counter = 0;
    return stem + "H" + std::to_string(++counter);
}

namespace {

std::string sourceJson(const std::string& uid, const std::string& name, const std::string& ctype,
                       const std::string& input)
{
    return "{\"UID\":\"" + uid + "\",\"name\":\"" + name + "\",\"Ctype\":\"" + ctype + "\",\"input\":\"" +
           input +
           "\",\"center\":\"145.800\",\"fmin\":\"144.0\",\"fmax\":\"146.0\",\"locked\":\"0\",\"sr\":"
           "\"2048000\","
           "\"rates\":[{\"id\":\"0\",\"value\":\"2048000\"}],"
           "\"stages\":[{\"id\":\"0\",\"name\":\"LNA\",\"unit_name\":\"dB\",\"min\":\"0\",\"max\":\"20\","
           "\"value\":\"10.5\"},{\"id\":\"1\",\"name\":\"IF\",\"unit_name\":\"dB\",\"min\":\"-5\",\"max\":"
           "\"5\","
           "\"value\":\"0\"}]}";
}

} // namespace

RemoteTestServer::RemoteTestServer(int channelStreams, int streamRate) : m_rate(streamRate)
{
    for (int i = 0; i < channelStreams; ++i)
        streamUids.push_back(uniqueUid("T"));
    std::string streams = streamJson(wideStreamUid, wideUid, 145800000);
    for (const std::string& uid : streamUids)
        streams += "," + streamJson(uid, channelizerUid, 145800000);
    peer.setJsonReply("server",
                      "{\"UID\":\"S1\",\"name\":\"Site\",\"latitude\":\"48.1\",\"longitude\":\"-1.6\","
                      "\"asl\":\"50\",\"sources\":\"2\",\"streams\":\"" +
                          std::to_string(channelStreams + 1) + "\"}");
    peer.setJsonReply("sessions/alias/*", "{\"UID\":\"sess1\",\"alias\":\"ALICE\"}");
    peer.setJsonReply("sessions/create/*", "{\"UID\":\"sess1\",\"alias\":\"ALICE\"}");
    peer.setJsonReply("sessions/close", "{}");
    peer.setJsonReply("sources", "{\"sources\":[" + sourceJson(wideUid, "Wide band", "SignalSource", "") +
                                     "," + sourceJson(channelizerUid, "Canal 2m", "Channelizer", wideUid) +
                                     "]}");
    peer.setJsonReply("streams", "{\"streams\":[" + streams + "]}");
}

std::string RemoteTestServer::streamJson(const std::string& uid, const std::string& source,
                                         long long centreHz) const
{
    return "{\"UID\":\"" + uid + "\",\"name\":\"Stream " + uid + "\",\"source\":\"" + source +
           "\",\"max_users\":\"4\",\"subscribers\":\"1\",\"user_temp_stream\":\"0\",\"center\":\"" +
           std::to_string(centreHz / 1e6) + "\",\"fmin\":\"144\",\"fmax\":\"146\",\"sr\":\"" +
           std::to_string(m_rate) + "\"}";
}

SrvServer* RemoteTestServer::connect(const char* alias)
{
    auto* client = new SrvHttpClient(peer.host(), peer.port());
    EXPECT_TRUE(client->setServerKey(peer.publicKeyText()));
    auto* server = new SrvServer(client);
    EXPECT_TRUE(server->connect(alias));
    return server;
}

PersonalDatabase::PersonalDatabase(const QString& file)
{
    QDir().mkpath(QFileInfo(file).path());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), dbRemoteSDR::connectionName);
    db.setDatabaseName(file);
    EXPECT_TRUE(db.open());
}

PersonalDatabase::~PersonalDatabase()
{
    QSqlDatabase::database(dbRemoteSDR::connectionName, false).close();
    QSqlDatabase::removeDatabase(dbRemoteSDR::connectionName);
}

std::vector<std::string> PersonalDatabase::savedServers() const
{
    std::vector<std::string> rows;
    QSqlQuery query(QSqlDatabase::database(dbRemoteSDR::connectionName));
    if (!query.exec(QStringLiteral("select remote_ip, remote_port, public_key, user_alias from remote_sdr "
                                   "order by remote_id")))
        return rows;
    while (query.next())
        rows.push_back(QStringLiteral("%1|%2|%3|%4")
                           .arg(query.value(0).toString(), query.value(1).toString(),
                                query.value(2).toString(), query.value(3).toString())
                           .toStdString());
    return rows;
}

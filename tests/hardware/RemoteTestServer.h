#pragma once

#include "tests/fixtures/fakeserver/FakeServer.h"
#include "tests/srvlib/SrvTestSupport.h" // elapsedMs, kStopBoundMs

#include <QSqlDatabase>
#include <QString>

#include <string>
#include <vector>

class SrvServer;

// A name no other test of this process uses: sources and streams live in
// process-wide registries keyed by UID.
std::string uniqueUid(const std::string& stem);

// A fake remote receiver server scripted to offer a wide-band source, a
// channelizer cut from it with two gain stages, one stream of the channelizer
// per entry of channelStreams and one stream of the wide-band source.
class RemoteTestServer
{
public:
    explicit RemoteTestServer(int channelStreams = 1, int streamRate = 48000);

    fakeserver::FakeServer peer;
    std::string wideUid = uniqueUid("wide");
    std::string channelizerUid = uniqueUid("chan");
    std::string wideStreamUid = uniqueUid("wideT");
    std::vector<std::string> streamUids;

    std::string rawPath(size_t stream = 0) const { return "streams/" + streamUids.at(stream) + "/raw"; }
    // A server object with the key, connected as alias; kept for the life of
    // the process like every server whose streams are registered.
    SrvServer* connect(const char* alias = "ALICE");
    // The JSON of a channelizer stream centred at centreHz.
    std::string streamJson(const std::string& uid, const std::string& source, long long centreHz) const;

private:
    int m_rate;
};

// A personal database file in the current folder registered as "MY" for the
// life of the object.
class PersonalDatabase
{
public:
    explicit PersonalDatabase(const QString& file = QStringLiteral("db/mylist.sqlite"));
    ~PersonalDatabase();
    PersonalDatabase(const PersonalDatabase&) = delete;
    PersonalDatabase& operator=(const PersonalDatabase&) = delete;

    // Rows of remote_sdr as "ip|port|key|alias", in id order.
    std::vector<std::string> savedServers() const;
};

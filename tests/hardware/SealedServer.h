#pragma once

#include "tests/fixtures/fakeserver/FakeServer.h"
#include "tests/hardware/RemoteTestServer.h" // also elapsedMs

#include "srvlib/SrvHttpClient.h"
#include "srvlib/SrvServer.h"
#include "srvlib/SrvSource.h"

#include "WaitFor.h"

#include <jansson.h>
#include <memory>
#include <string>

// A fake server with a sealed client and the server record in front of it.
// (RemoteTestServer scripts a whole remote receiver.)
struct SealedServer
{
    fakeserver::FakeServer peer;
    SrvHttpClient client{peer.host(), peer.port()};
    SrvServer server{&client};

    SealedServer() { client.setServerKey(peer.publicKeyText()); }

    // A source of this server as the server describes it (numbers as texts,
    // the centre in MHz); not registered.
    std::unique_ptr<SrvSource> makeSource(const std::string& uid, const std::string& sampleRate = "0",
                                          const std::string& centreMHz = "0")
    {
        json_t* json = json_pack("{s:s, s:s, s:s}", "UID", uid.c_str(), "sr", sampleRate.c_str(), "center",
                                 centreMHz.c_str());
        auto source = std::make_unique<SrvSource>(&server, json);
        json_decref(json);
        return source;
    }
};

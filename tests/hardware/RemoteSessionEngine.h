#pragma once

#include "tests/hardware/RemoteTestServer.h"

#include "TempWorkDir.h"
#include "WaitFor.h"
#include "engine/Controller.h"
#include "hardware/RemoteReceiverHardware.h"
#include "srvlib/SrvRegistry.h"

#include <gtest/gtest.h>

// An engine (no sound device) whose receiver is a stream of the fake server,
// with the session stream held open so the test can push session traffic.
// Derived fixtures script their other replies, then call attachEngine().
class RemoteSessionEngine : public ::testing::Test
{
protected:
    void attachEngine()
    {
        fakeserver::StreamScript held;
        held.holdOpen = true;
        server.peer.setStream("sessions/datas", held);
        engine.setReceiverHardware(&receiver);
        ASSERT_TRUE(server.peer.waitForOpenStream("sessions/datas", kWaitBoundMs));
    }
    void TearDown() override { engine.shutdown(); }

    TempWorkDir work;
    RemoteTestServer server;
    SrvServer* srv = server.connect("ALICE");
    RemoteReceiverHardware receiver{findStream(server.streamUids[0])};
    Controller engine{QStringLiteral("no such sound device")};
};

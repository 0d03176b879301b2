#pragma once

#include <QString>

class SrvServer;

// The prompts of the selection dialog's "Remote Beamhost" button: address,
// TCP port, public key text and user name of one more remote server, each
// prefilled from the settings group "Remote" and stored back there. Makes the
// server object (around a client of its own) once every answer is in.
class RemoteServerForm
{
public:
    // Asks the questions; false when the user gave up (an empty or cancelled
    // address or name, a cancelled port). A cancelled key means no key.
    bool ask();

    const QString& address() const { return m_address; }
    int port() const { return m_port; }
    const QString& keyText() const { return m_keyText; }
    const QString& userName() const { return m_userName; }
    // The server object made for the answers (the caller owns it and its client).
    SrvServer* server() const { return m_server; }

private:
    QString m_address;
    int m_port = 0;
    QString m_keyText;
    QString m_userName;
    SrvServer* m_server = nullptr;
};

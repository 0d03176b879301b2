#include "hardware/RemoteServerForm.h"

#include "core/ProgramSettings.h"
#include "hardware/RemoteServerReceivers.h"
#include "srvlib/SrvHttpClient.h"
#include "srvlib/SrvServer.h"

#include <QInputDialog>
#include <QObject>
#include <QSettings>
#include <QUuid>

#include <memory>

namespace {

const QString Title = QStringLiteral("Connection Beamhost");
// A TCP port; larger numbers can never be reached.
const int MaxPort = 65535;

} // namespace

bool RemoteServerForm::ask()
{
    std::unique_ptr<QSettings> settings = ProgramSettings::open();
    settings->beginGroup(QStringLiteral("Remote"));

    bool ok = false;
    m_address = QInputDialog::getText(nullptr, Title, QObject::tr("Adresse reseau:"), QLineEdit::Normal,
                                      settings->value(QStringLiteral("remote_ip")).toString(), &ok);
    if (!ok || m_address.isEmpty())
        return false;
    settings->setValue(QStringLiteral("remote_ip"), m_address);

    m_port =
        QInputDialog::getInt(nullptr, Title, QObject::tr("Port TCP:"),
                             settings->value(QStringLiteral("remote_port"), 0).toInt(), 1, MaxPort, 1, &ok);
    if (!ok)
        return false;

    m_keyText = QInputDialog::getText(nullptr, Title, QObject::tr("Certificat:"), QLineEdit::Normal,
                                      settings->value(QStringLiteral("remote_public_key")).toString(), &ok);
    if (!ok)
        m_keyText.clear();
    settings->setValue(QStringLiteral("remote_port"), m_port);

    auto* client = new SrvHttpClient(m_address.toLocal8Bit().constData(), m_port);
    if (!m_keyText.isEmpty()) {
        settings->setValue(QStringLiteral("remote_public_key"), m_keyText);
        client->setServerKey(m_keyText.toUtf8().toStdString());
        client->setSessionUID(QUuid::createUuid().toString().toUtf8().constData());
    }
    auto server = std::make_unique<SrvServer>(client);

    const QString storedAlias = settings->value(QStringLiteral("user_alias")).toString();
    m_userName =
        QInputDialog::getText(nullptr, Title, QObject::tr("Votre nom:"), QLineEdit::Normal, storedAlias, &ok);
    if (!ok || m_userName.isEmpty()) {
        server.reset();
        RemoteServerReceivers::keepForTheRun(client);
        return false;
    }
    if (storedAlias.isEmpty())
        settings->setValue(QStringLiteral("user_alias"), m_userName);
    m_server = server.release();
    return true;
}

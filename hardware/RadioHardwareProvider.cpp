#include "hardware/RadioHardwareProvider.h"

#include "core/QLogger.h"
#include "hardware/HardwareLoader.h"
#include "hardware/RemoteReceiverHardware.h"
#include "hardware/RemoteServerReceivers.h"
#include "hardware/dbRemoteSDR.h"
#include "srvlib/SrvServer.h"

#include <QDebug>
#include <QDirIterator>

namespace {

void trace(const QString& text)
{
    QLogger::logTrace(LogModule, QStringLiteral("RadioHardwareProvider::loadFromFile ") + text);
}

} // namespace

RadioHardwareProvider::RadioHardwareProvider(QObject* parent)
    : QObject(parent), m_list(std::make_unique<QVector<ReceiverHardware*>>())
{
}

RadioHardwareProvider::~RadioHardwareProvider() = default;

int RadioHardwareProvider::scanDirectory(const QString& directory)
{
    QDirIterator files(directory, {QStringLiteral("EXTSDR_*.dll")}, QDir::Files);
    while (files.hasNext())
        loadFromFile(files.next());
    return m_list->size();
}

void RadioHardwareProvider::loadFromFile(const QString& path)
{
    if (path.isEmpty())
        return;
    trace(path);
    auto* first = new HardwareLoader(0);
    if (!first->loadDLL(path)) {
        trace(path + " loadDLL failed");
        delete first;
        return;
    }
    trace(path + " ok");
    const int boards = first->getBoardCount();
    if (boards == 0) {
        trace(path + " boardCount=0");
        delete first;
        return;
    }
    // A board of type 0 is not usable: loaded, but neither listed nor kept.
    auto keep = [this](HardwareLoader* loader) {
        if (loader->getType() != ReceiverHardware::NotUsable)
            m_list->append(loader);
        else
            delete loader;
    };
    keep(first);
    for (int board = 1; board < boards; ++board) {
        auto* loader = new HardwareLoader(board);
        if (!loader->loadDLL(path)) {
            delete loader;
            break;
        }
        keep(loader);
    }
}

int RadioHardwareProvider::appendRemoteReceivers(const RemoteServerReceivers::DebugLines& lines)
{
    const QVector<RemoteReceiverHardware*> added =
        RemoteServerReceivers::newChannelizerReceivers(*m_list, lines);
    for (RemoteReceiverHardware* receiver : added)
        m_list->append(receiver);
    return added.size();
}

int RadioHardwareProvider::loadRemoteServers()
{
    dbRemoteSDR table;
    const QList<dbRemoteSDR*> rows = table.select();
    for (dbRemoteSDR* row : rows) {
        const QByteArray alias = row->alias().toLocal8Bit();
        auto* server = new SrvServer(row->makeClient());
        if (server->connect(alias.isEmpty() ? nullptr : alias.constData()))
            qDebug().noquote() << "one remote available at " + row->apiUrl();
        else
            qDebug().noquote() << "connection to " + row->address() + " not ok";
        RemoteServerReceivers::discard(server);
        delete row;
    }
    RemoteServerReceivers::DebugLines lines;
    lines.adding = true;
    lines.notChannelizer = " not channelizer , skipped";
    return appendRemoteReceivers(lines);
}

int RadioHardwareProvider::addTempRemote(SrvServer* server)
{
    if (server == nullptr || !server->connect(nullptr)) {
        qDebug() << "RadioHardwareProvider::addTempRemote() connect returns false";
        return 0;
    }
    RemoteServerReceivers::DebugLines lines;
    lines.adding = true;
    lines.alreadyListed = "already added in list from db";
    lines.notChannelizer = " not channlizer , skipped"; // kept as spelled: log readers search for it
    return appendRemoteReceivers(lines);
}

void RadioHardwareProvider::clearExceptSelected()
{
    for (ReceiverHardware* receiver : *m_list) {
        if (receiver == m_selected || receiver == nullptr)
            continue;
        const int type = receiver->getType();
        if (type == ReceiverHardware::LocalDefault || type == ReceiverHardware::Orvex_Remote)
            delete receiver;
    }
    m_list->clear();
    if (m_selected != nullptr)
        m_list->append(m_selected);
}

void RadioHardwareProvider::selectFirstIfNone()
{
    if (m_selected == nullptr && !m_list->isEmpty())
        m_selected = m_list->first();
}

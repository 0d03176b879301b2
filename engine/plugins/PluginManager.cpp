#include "engine/plugins/PluginManager.h"

#include "engine/plugins/CounterPlugin.h"
#include "engine/plugins/NewsPlugin.h"
#include "engine/plugins/OrvexPlugin.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaMethod>
#include <QMutexLocker>
#include <QVBoxLayout>
#include <QWidget>

#include <array>
#include <mutex>

namespace {

QMutex factoriesLock;
QVector<PluginManager::Factory>& builtInFactories()
{
    static QVector<PluginManager::Factory> factories;
    return factories;
}

bool instanceBuilt = false; // under factoriesLock

} // namespace

bool PluginManager::addBuiltInFactory(Factory factory)
{
    QMutexLocker locker(&factoriesLock);
    if (instanceBuilt) {
        qWarning() << "PluginManager::addBuiltInFactory called after the manager was built: ignored";
        return false;
    }
    builtInFactories().append(std::move(factory));
    return true;
}

PluginManager* PluginManager::instance()
{
    static PluginManager* manager = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        QVector<Factory> factories;
        {
            QMutexLocker locker(&factoriesLock);
            factories = builtInFactories();
            instanceBuilt = true;
        }
        // Lives until the process ends: its widgets belong to the GUI, which
        // goes away before any static destructor could run.
        manager = new PluginManager(factories);
    });
    return manager;
}

PluginManager::PluginManager(const QVector<Factory>& extraBuiltIns, QObject* parent) : QObject(parent)
{
    buildPanel();
    registerPlugin(new NewsPlugin());
    registerPlugin(new CounterPlugin());
    for (const Factory& make : extraBuiltIns) {
        if (make)
            registerPlugin(make());
    }
}

PluginManager::~PluginManager()
{
    delete m_panel;
}

void PluginManager::buildPanel()
{
    m_panel = new QWidget();
    m_panel->setMinimumWidth(100);
    QPalette palette = m_panel->palette();
    palette.setColor(QPalette::Window, QColor(48, 48, 32));
    m_panel->setPalette(palette);
    m_panel->setAutoFillBackground(true);

    auto* column = new QVBoxLayout(m_panel);
    column->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    column->setContentsMargins(1, 1, 1, 1);

    auto* title = new QLabel(tr("Plugins"), m_panel);
    title->setStyleSheet("QLabel { background-color : black; color : yellow; border: 1px solid yellow;}");
    title->setAlignment(Qt::AlignCenter);
    column->addWidget(title);

    auto* rowHolder = new QWidget(m_panel);
    m_row = new QHBoxLayout(rowHolder);
    m_row->setAlignment(Qt::AlignLeft);
    m_row->setContentsMargins(1, 1, 1, 1);
    column->addWidget(rowHolder);
}

void PluginManager::registerPlugin(OrvexPlugin* plugin)
{
    if (plugin == nullptr)
        return;
    Controller* controller = nullptr;
    {
        QMutexLocker locker(&m_lock);
        if (m_byName.contains(plugin->name))
            return;
        m_plugins.append(plugin);
        m_byName.insert(plugin->name, plugin);
        controller = m_controller;
    }
    m_row->addWidget(plugin);
    if (controller != nullptr) {
        plugin->setController(controller);
        emit newPlugin(plugin);
    }
}

void PluginManager::removePlugin(OrvexPlugin* plugin)
{
    {
        QMutexLocker locker(&m_lock);
        if (!m_plugins.removeOne(plugin))
            return;
        m_byName.remove(plugin->name);
    }
    delete plugin;
}

void PluginManager::setController(Controller* controller)
{
    QVector<OrvexPlugin*> plugins;
    {
        QMutexLocker locker(&m_lock);
        m_controller = controller;
        plugins = m_plugins;
    }
    for (OrvexPlugin* plugin : plugins)
        plugin->setController(controller);
}

int PluginManager::count() const
{
    QMutexLocker locker(&m_lock);
    return m_plugins.size();
}

OrvexPlugin* PluginManager::pluginAt(int index) const
{
    QMutexLocker locker(&m_lock);
    return index >= 0 && index < m_plugins.size() ? m_plugins.at(index) : nullptr;
}

OrvexPlugin* PluginManager::findPlugin(const QString& name) const
{
    QMutexLocker locker(&m_lock);
    return m_byName.value(name, nullptr);
}

bool PluginManager::invokePluginMethod(const QString& plugin, const QByteArray& slot,
                                       const QVariantList& args, Qt::ConnectionType type)
{
    OrvexPlugin* target = findPlugin(plugin);
    if (target == nullptr) {
        qDebug() << "PluginManager::invokePluginMethod " << plugin << " not found";
        return false;
    }
    if (args.size() > MaxArguments) {
        qDebug() << "PluginManager::invokePluginMethod " << plugin << slot << ": more than" << MaxArguments
                 << "arguments, nothing called";
        return false;
    }
    // The generic arguments point into args, which lives until invokeMethod has
    // called the slot or, for a queued call, copied the values.
    std::array<QGenericArgument, MaxArguments> generic{};
    for (int i = 0; i < args.size(); ++i)
        generic[i] = QGenericArgument(args.at(i).typeName(), args.at(i).constData());
    return QMetaObject::invokeMethod(target, slot.constData(), type, generic[0], generic[1], generic[2],
                                     generic[3], generic[4], generic[5], generic[6], generic[7], generic[8],
                                     generic[9]);
}

QByteArray methodReturnType(const QMetaObject* meta, const QByteArray& name,
                            const QList<QByteArray>& parameterTypes)
{
    if (meta == nullptr)
        return {};
    for (int i = 0; i < meta->methodCount(); ++i) {
        QMetaMethod method = meta->method(i);
        if (method.name() == name && method.parameterTypes() == parameterTypes)
            return method.typeName();
    }
    return {};
}

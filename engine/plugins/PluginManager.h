#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVector>

#include <functional>

class Controller;
class OrvexPlugin;
class QHBoxLayout;
class QWidget;

// Creates the built-in plug-ins, registers further ones, lays them out side by
// side in one strip widget, hands every plug-in the engine and calls a
// plug-in's slot by the plug-in's name. One instance per process, built by the
// first call to instance(), which must happen in the GUI thread (it creates
// widgets); afterwards any thread may invoke plug-ins through it.
class PluginManager : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxArguments = 10;

    // Makes one built-in plug-in; the manager registers what it returns.
    using Factory = std::function<OrvexPlugin*()>;

    // Adds a built-in plug-in that lives in a library above the engine. The
    // process-wide manager creates "news" and "counter", then the added ones in
    // the order they were added. Start-up adds them before the first instance();
    // false (and nothing added) once the process-wide manager exists.
    static bool addBuiltInFactory(Factory factory);

    static PluginManager* instance();

    // A manager of its own (tests): news and counter, then extraBuiltIns in order.
    explicit PluginManager(const QVector<Factory>& extraBuiltIns, QObject* parent = nullptr);
    // Deletes the strip with the plug-ins it still holds.
    ~PluginManager() override;

    // Ignores null and a name that is already registered. A plug-in registered
    // after the engine was given gets it at once and is announced by newPlugin.
    void registerPlugin(OrvexPlugin* plugin);
    // Takes a registered plug-in out of the strip and deletes it with its
    // widgets; anything else is left alone.
    void removePlugin(OrvexPlugin* plugin);
    // Keeps the engine and hands it to every registered plug-in in order.
    void setController(Controller* controller);

    int count() const;
    OrvexPlugin* pluginAt(int index) const;
    OrvexPlugin* findPlugin(const QString& name) const;
    // The strip the main window places in its layout.
    QWidget* getPanel() const { return m_panel; }

    // Calls the named plug-in's slot with up to ten arguments, matched by their
    // type names ("int", "float", "QString", ...). With Qt::AutoConnection a call
    // from another thread is queued into the GUI thread, where the plug-ins live;
    // the arguments are copied. Returns false when the plug-in is not registered,
    // when there are too many arguments, or when no slot matches.
    bool invokePluginMethod(const QString& plugin, const QByteArray& slot, const QVariantList& args,
                            Qt::ConnectionType type);

signals:
    void newPlugin(OrvexPlugin* p);

private:
    void buildPanel();

    mutable QMutex m_lock; // registrations may meet invocations from recorder threads
    QVector<OrvexPlugin*> m_plugins;
    QHash<QString, OrvexPlugin*> m_byName;
    Controller* m_controller = nullptr;
    QWidget* m_panel = nullptr;
    QHBoxLayout* m_row = nullptr;
};

// The return type name of the first method of meta whose name and parameter
// type names match exactly; empty when there is none.
QByteArray methodReturnType(const QMetaObject* meta, const QByteArray& name,
                            const QList<QByteArray>& parameterTypes);

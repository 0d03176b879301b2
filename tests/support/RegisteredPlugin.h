#pragma once

// Header-only: the support library links only core, and this is included by
// test programs that link engine.

#include "engine/plugins/OrvexPlugin.h"
#include "engine/plugins/PluginManager.h"

#include <QPointer>
#include <gtest/gtest.h>

// A plug-in registered with the process-wide manager for one test, taken out
// (and deleted) at the end of the scope, so that the next test finds the
// manager as it was. A name that is registered already is a test's fault.
class RegisteredPlugin
{
public:
    explicit RegisteredPlugin(OrvexPlugin* plugin) : m_plugin(plugin)
    {
        PluginManager* manager = PluginManager::instance();
        manager->registerPlugin(plugin);
        if (manager->findPlugin(plugin->name) != plugin) {
            ADD_FAILURE() << "a plug-in named " << plugin->name.toStdString() << " is registered already";
            delete plugin;
        }
    }
    ~RegisteredPlugin()
    {
        // The code under test may have taken it out already.
        if (m_plugin != nullptr)
            PluginManager::instance()->removePlugin(m_plugin);
    }
    RegisteredPlugin(const RegisteredPlugin&) = delete;
    RegisteredPlugin& operator=(const RegisteredPlugin&) = delete;

private:
    QPointer<OrvexPlugin> m_plugin;
};

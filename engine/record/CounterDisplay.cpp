#include "engine/record/CounterDisplay.h"

#include "engine/plugins/PluginManager.h"

namespace CounterDisplay {

namespace {
const QString counter = QStringLiteral("counter");
}

void setLegend(const QString& text)
{
    PluginManager::instance()->invokePluginMethod(counter, "setLegend", {text}, Qt::AutoConnection);
}

void setValue(int seconds)
{
    PluginManager::instance()->invokePluginMethod(counter, "setValue", {seconds}, Qt::AutoConnection);
}

void hide()
{
    PluginManager::instance()->invokePluginMethod(counter, "hidePanel", {}, Qt::AutoConnection);
}

} // namespace CounterDisplay

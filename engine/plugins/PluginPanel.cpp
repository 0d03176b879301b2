#include "engine/plugins/PluginPanel.h"

#include "core/QLogger.h"
#include "engine/plugins/OrvexPlugin.h"
#include "engine/plugins/PluginManager.h"

#include <QComboBox>
#include <QDebug>
#include <QScrollArea>
#include <QVBoxLayout>

PluginPanel::PluginPanel(QWidget* parent, PluginManager* manager) : QWidget(parent)
{
    QLogger::logTrace(LogModule, "PluginPanel::PluginPanel()");
    if (manager == nullptr)
        manager = PluginManager::instance();

    m_layout = new QVBoxLayout(this);
    m_layout->setAlignment(Qt::AlignTop);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(48, 48, 32));
    setPalette(palette);
    setAutoFillBackground(true);

    m_list = new QComboBox(this);
    m_list->setToolTip(tr("Extensions"));
    m_list->addItem(tr("Extensions"));
    m_list->setCurrentIndex(0);
    m_layout->addWidget(m_list);

    auto* scroll = new QScrollArea(this);
    scroll->setBackgroundRole(QPalette::Dark);
    scroll->setAlignment(Qt::AlignLeft);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    auto* content = new QWidget();
    auto* stack = new QVBoxLayout(content);
    stack->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    qDebug() << "adding plugins";
    for (int i = 0; i < manager->count(); ++i) {
        OrvexPlugin* plugin = manager->pluginAt(i);
        qDebug() << "adding plugin " << plugin->name;
        plugin->setMaximumWidth(145);
        stack->addWidget(plugin);
        connect(plugin, &OrvexPlugin::showMe, this, &PluginPanel::showPlugin, Qt::QueuedConnection);
        connect(plugin, &OrvexPlugin::hideMe, this, &PluginPanel::hidePlugin, Qt::QueuedConnection);
        if (plugin->listable) {
            qDebug() << "listing plugin " << plugin->name;
            m_list->addItem(plugin->title, QVariant::fromValue(static_cast<QObject*>(plugin)));
        } else {
            qDebug() << "not listable plugin " << plugin->name;
        }
    }
    scroll->setWidget(content);
    m_layout->addWidget(scroll);

    connect(m_list, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &PluginPanel::SLOT_selectPlugin);
    QLogger::logTrace(LogModule, "PluginPanel::PluginPanel() end.");
}

void PluginPanel::showPlugin(QString name)
{
    qDebug() << "PluginPanel::showPlugin" << name;
}

void PluginPanel::hidePlugin(QString name)
{
    qDebug() << "PluginPanel::hidePlugin" << name;
}

void PluginPanel::SLOT_newPlugin(OrvexPlugin* p)
{
    if (p == nullptr)
        return;
    m_layout->insertWidget(0, p);
    if (p->listable)
        m_list->addItem(p->name, QVariant::fromValue(static_cast<QObject*>(p)));
}

void PluginPanel::SLOT_selectPlugin(int index)
{
    if (index <= 0)
        return;
    auto* plugin = qobject_cast<OrvexPlugin*>(m_list->itemData(index).value<QObject*>());
    if (plugin != nullptr)
        plugin->setVisible(plugin->isHidden());
    m_list->setCurrentIndex(0);
}

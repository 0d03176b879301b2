#include "decoders/whatson/WhatsonPlugin.h"

#include "decoders/whatson/RFStation.h"
#include "decoders/whatson/Whatson.h"
#include "engine/plugins/PluginManager.h"

#include <QPalette>
#include <QTextBrowser>
#include <QVBoxLayout>

const QString WhatsonPlugin::Name = QStringLiteral("WHATSON");

namespace {

QString megahertz(qint64 hz)
{
    return QString::number(double(hz) / 1e6, 'f', 3);
}

} // namespace

WhatsonPlugin::WhatsonPlugin() : browser(new QTextBrowser(this))
{
    name = Name;
    title = tr("WHATSON");
    listable = false;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QPalette pal = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Window, QColor(96, 96, 96));
    setPalette(pal);
    setAutoFillBackground(true);

    browser->setReadOnly(true);
    browser->setOpenLinks(false);
    browser->setOpenExternalLinks(false);
    layout->addWidget(browser);
    hide();
}

void WhatsonPlugin::registerBuiltIn()
{
    PluginManager::addBuiltInFactory([] { return new WhatsonPlugin(); });
}

void WhatsonPlugin::setController(Controller*) {}

void WhatsonPlugin::addText(const QString& text)
{
    browser->append("<p>" + text + "</p>");
    show();
}

void WhatsonPlugin::showStation(int schedKey)
{
    addText(QString::number(schedKey));
    const RFStation* s = Whatson::findStation(schedKey);
    if (s == nullptr)
        return;

    // The service's texts are shown as text, never read as markup.
    browser->clear();
    browser->append("<b>" + s->bcast_name.toHtmlEscaped() + "</b><br/>" + megahertz(s->frequency) +
                    " MHz<br/>" + tr("Modulation :") + (s->modNotD == 1 ? " DIGITAL<br/>" : " AM<br/>") +
                    tr("Langue :") + s->lang.toHtmlEscaped() + "<br/>" + tr("Site TX :") +
                    s->loc.toHtmlEscaped() + "<br/>" + tr("Puissance :") + QString::number(s->power) +
                    "KW <br/>" + tr("Horaires :") + s->startTime.toString("HH:mm") + "->" +
                    s->stopTime.toString("HH:mm") + "UTC <br/>" + tr("Latitude :") +
                    QString::number(s->latitude, 'f', 4) + " <br/>" + tr("Longitude :") +
                    QString::number(s->longitude, 'f', 4) + " <br/>");
    show();
    emit showMe(name);
}

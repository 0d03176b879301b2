#include "engine/plugins/OrvexPlugin.h"

OrvexPlugin::OrvexPlugin(QWidget* parent) : QWidget(parent) {}

void OrvexPlugin::setController(Controller* controller)
{
    this->controller = controller;
}

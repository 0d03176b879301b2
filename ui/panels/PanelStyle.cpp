#include "ui/panels/PanelStyle.h"

#include <QPalette>
#include <QWidget>

QWidget* makePanelBar(QWidget* parent)
{
    auto* bar = new QWidget(parent);
    QPalette palette = bar->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Window, QColor(48, 48, 32));
    bar->setPalette(palette);
    bar->setAutoFillBackground(true);
    return bar;
}

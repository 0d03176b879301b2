#include "Param.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

Param::Param(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignTop);
    layout->addWidget(new QLabel(tr(" Entree audio:"), this));
    inputDevices = new QComboBox(this);
    layout->addWidget(inputDevices);
    layout->addWidget(new QLabel(tr(" Sortie audio:"), this));
    outputDevices = new QComboBox(this);
    layout->addWidget(outputDevices);
}

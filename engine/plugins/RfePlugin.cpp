#include "engine/plugins/RfePlugin.h"

#include "engine/Controller.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kYellowLabel = QStringLiteral("QLabel { color : yellow; }");
}

RfePlugin::RfePlugin(const qint64* lo, QWidget* parent) : OrvexPlugin(parent)
{
    name = QStringLiteral("rfeswitch");
    title = tr("Front-end");
    listable = true;

    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignHCenter);
    layout->setContentsMargins(0, 0, 0, 0);

    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(96, 96, 96));
    setPalette(background);

    auto* caption = new QLabel(QStringLiteral("OL installe :"), this);
    caption->setStyleSheet(kYellowLabel);
    layout->addWidget(caption);

    m_loLabel = new QLabel(loText(lo != nullptr ? *lo : 0), this);
    m_loLabel->setStyleSheet(kYellowLabel);
    layout->addWidget(m_loLabel);

    auto* button = new QPushButton(tr("Desactiver OL"), this);
    layout->addWidget(button);
    connect(button, &QPushButton::pressed, this, &RfePlugin::disableRFE);

    setMinimumHeight(50);
    setMaximumHeight(70);
}

QString RfePlugin::loText(qint64 loHz)
{
    return QString::number(double(float(loHz / 1000000.0)), 'f', 3) + QStringLiteral(" MHz");
}

QString RfePlugin::shownLo() const
{
    return m_loLabel->text();
}

void RfePlugin::disableRFE()
{
    if (controller != nullptr)
        controller->disableFrequencyConverter();
}

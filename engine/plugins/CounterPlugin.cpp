#include "engine/plugins/CounterPlugin.h"

#include <QLCDNumber>
#include <QLabel>
#include <QVBoxLayout>

CounterPlugin::CounterPlugin()
{
    name = QStringLiteral("counter");
    title = tr("Chrono");
    listable = false;

    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignHCenter);
    layout->setContentsMargins(0, 0, 0, 0);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(96, 96, 96));
    setPalette(palette);
    setAutoFillBackground(true);

    m_legend = new QLabel(this);
    m_legend->setStyleSheet("QLabel { color : yellow; }");
    layout->addWidget(m_legend);

    m_lcd = new QLCDNumber(8, this);
    m_lcd->setSegmentStyle(QLCDNumber::Flat);
    m_shown = formatElapsed(0);
    m_lcd->display(m_shown);
    layout->addWidget(m_lcd);

    setMinimumHeight(70);
    setMaximumHeight(90);
    hide();
}

QString CounterPlugin::formatElapsed(int secs)
{
    auto twoDigits = [](int value) { return QString::number(value).rightJustified(2, '0'); };
    return twoDigits(secs / 3600) + ':' + twoDigits((secs % 3600) / 60) + ':' + twoDigits(secs % 60);
}

QString CounterPlugin::legend() const
{
    return m_legend->text();
}

void CounterPlugin::setLegend(QString text)
{
    m_legend->setText(text);
}

void CounterPlugin::setValue(int secs)
{
    show();
    m_shown = formatElapsed(secs);
    m_lcd->display(m_shown);
}

void CounterPlugin::hidePanel()
{
    emit hideMe(name);
    hide();
}

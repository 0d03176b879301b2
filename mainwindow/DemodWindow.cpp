#include "DemodWindow.h"

#include "RollingHistory.h"

#include <QPushButton>
#include <QVBoxLayout>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>

Trace::Trace(QWidget* parent) : QwtPlot(parent)
{
    setAutoFillBackground(true);
    setCanvasBackground(QColor(Qt::darkBlue));
    auto* grid = new QwtPlotGrid();
    grid->enableXMin(true);
    grid->enableYMin(true);
    grid->attach(this);
    for (int i = 0; i < Length; ++i)
        m_indices[i] = i;
    m_curve = new QwtPlotCurve();
    m_curve->setRenderHint(QwtPlotItem::RenderAntialiased);
    m_curve->setPen(QPen(Qt::yellow));
    m_curve->setYAxis(QwtPlot::yLeft);
    m_curve->setZ(90);
    m_curve->setRawSamples(m_indices, m_values, Length);
    m_curve->attach(this);
    setAxisScale(QwtPlot::xBottom, 0, Length);
    setAxisScale(QwtPlot::yLeft, -100, -50);
    setAutoReplot(true);
}

void Trace::addValue(double value)
{
    double low = 10;
    double high = -200;
    rollLeft(m_values, Length, low, high);
    m_values[Length - 1] = value;
    setAxisScale(QwtPlot::yLeft, low, high);
    m_curve->setRawSamples(m_indices, m_values, Length);
    replot();
}

DemodWindow::DemodWindow(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(1);
    m_trace = new Trace(this);
    layout->addWidget(m_trace);
    auto* closeButton = new QPushButton(tr("Fermer"), this);
    layout->addWidget(closeButton);
    connect(closeButton, &QPushButton::clicked, this, &DemodWindow::PRIVSLOT_Quit);
    setMinimumSize(200, 200);
    show();
}

void DemodWindow::PRIVSLOT_Quit()
{
    close();
}

void DemodWindow::closeEvent(QCloseEvent* event)
{
    emit window_closed();
    QWidget::closeEvent(event);
}

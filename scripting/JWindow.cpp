#include "scripting/JWindow.h"

#include "scripting/JFigure.h"

#include <QCloseEvent>
#include <QDebug>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Windows built so far, for the debug lines.
int windowCounter = 0;
} // namespace

JWindow::JWindow(int scriptId, QWidget* parent) : QWidget(parent), scriptID(scriptId)
{
    ++windowCounter;
    qDebug() << "JWindow::JWindow ID=" << windowCounter << " scriptID=" << scriptId;
    // Closing the main window ends the program even while figures are open.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(1);
    figurePlot = new JFigure(this);
    layout->addWidget(figurePlot);
    closeButton = new QPushButton(tr("Fermer"), this);
    layout->addWidget(closeButton);
    connect(closeButton, &QPushButton::clicked, this, &JWindow::PRIVSLOT_Quit);
    setWindowTitle(tr("ORVEX Script"));
    qDebug() << "JWindow created and visible ID=" << windowCounter;
}

JWindow::~JWindow()
{
    qDebug() << "JWindow destroyed";
}

void JWindow::plot(const double* vals, int count)
{
    qDebug() << "JWindow::plot" << count;
    if (vals != nullptr && count > 0)
        figurePlot->plot(vals, count);
}

void JWindow::PRIVSLOT_Quit()
{
    close();
}

void JWindow::closeEvent(QCloseEvent* event)
{
    qDebug() << "JWindow::close" << scriptID;
    emit window_closed(scriptID);
    event->accept();
}

#include "PrivateQGraphicsView.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {
void switchOffScrollBars(QGraphicsView* view)
{
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}
} // namespace

PrivateQGraphicsView::PrivateQGraphicsView(QWidget* parent) : QGraphicsView(parent)
{
    switchOffScrollBars(this);
}

PrivateQGraphicsView::PrivateQGraphicsView(QGraphicsScene* scene, QWidget* parent)
    : QGraphicsView(scene, parent)
{
    switchOffScrollBars(this);
}

void PrivateQGraphicsView::contextMenuEvent(QContextMenuEvent* event)
{
    event->setAccepted(false);
    emit hadContextMenuEvent(event);
    if (!event->isAccepted())
        QGraphicsView::contextMenuEvent(event);
}

void PrivateQGraphicsView::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->setAccepted(false);
    emit hadMouseDoubleClickEvent(event);
    if (!event->isAccepted())
        QGraphicsView::mouseDoubleClickEvent(event);
}

void PrivateQGraphicsView::mouseMoveEvent(QMouseEvent* event)
{
    event->setAccepted(false);
    emit hadMouseMoveEvent(event);
    if (!event->isAccepted())
        QGraphicsView::mouseMoveEvent(event);
}

void PrivateQGraphicsView::mousePressEvent(QMouseEvent* event)
{
    event->setAccepted(false);
    emit hadMousePressEvent(event);
    if (!event->isAccepted())
        QGraphicsView::mousePressEvent(event);
}

void PrivateQGraphicsView::mouseReleaseEvent(QMouseEvent* event)
{
    event->setAccepted(false);
    emit hadMouseReleaseEvent(event);
    if (!event->isAccepted())
        QGraphicsView::mouseReleaseEvent(event);
}

void PrivateQGraphicsView::wheelEvent(QWheelEvent* event)
{
    event->setAccepted(false);
    emit hadWheelEvent(event);
    if (!event->isAccepted())
        QGraphicsView::wheelEvent(event);
}

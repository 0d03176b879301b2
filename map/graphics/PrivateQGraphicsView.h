#pragma once

#include <QGraphicsView>

// The Qt graphics view inside the map view. It offers its mouse, wheel and
// context-menu events to the map view first (as signals) and handles an event
// itself only when nobody accepted it. No scroll bars.
class PrivateQGraphicsView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit PrivateQGraphicsView(QWidget* parent = nullptr);
    PrivateQGraphicsView(QGraphicsScene* scene, QWidget* parent = nullptr);

signals:
    void hadMouseDoubleClickEvent(QMouseEvent* event);
    void hadMouseMoveEvent(QMouseEvent* event);
    void hadMousePressEvent(QMouseEvent* event);
    void hadMouseReleaseEvent(QMouseEvent* event);
    void hadContextMenuEvent(QContextMenuEvent* event);
    void hadWheelEvent(QWheelEvent* event);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

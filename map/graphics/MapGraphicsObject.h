#pragma once

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariant>

class QGraphicsSceneContextMenuEvent;
class QGraphicsSceneMouseEvent;
class QGraphicsSceneWheelEvent;
class QKeyEvent;
class QPainter;
class QStyleOptionGraphicsItem;
class QWidget;

// Everything drawn on the map above the tiles: an object placed by longitude
// (pos().x()) and latitude (pos().y()) that knows its extent and paints itself
// in its own coordinates: origin at its position, y pointing north, unit metres
// or, for a zoom-invariant object, screen pixels.
//
// Created without a QObject parent; whoever creates it owns it. Every change of
// a visual property is announced by a signal; the map view's graphics bridge
// mirrors the object into a Qt graphics item through them. For about 1 ms after
// construction most setters defer their signal with a single-shot timer, so
// that properties set in a subclass constructor still reach a graphics item
// made when the object is added to a scene right after construction.
class MapGraphicsObject : public QObject
{
    Q_OBJECT
    friend class PrivateQGraphicsObject;

public:
    enum MapGraphicsObjectFlag {
        MapObjectMovable = 0x01,
        MapObjectSelectable = 0x02,
        MapObjectFocusable = 0x04,
    };

    explicit MapGraphicsObject(bool sizeIsZoomInvariant = false, MapGraphicsObject* parent = nullptr);
    ~MapGraphicsObject() override;

    bool sizeIsZoomInvariant() const { return m_sizeIsZoomInvariant; }

    // Extent in the object's own coordinates.
    virtual QRectF boundingRect() const = 0;
    // Tests the geographic point, as it is, against boundingRect().
    virtual bool contains(const QPointF& geoPos) const;
    virtual void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                       QWidget* widget = nullptr) = 0;

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);

    // The map-object parent: kept and signalled only (the QObject parent stays none).
    MapGraphicsObject* parent() const { return m_parent; }
    void setParent(MapGraphicsObject* parent);

    const QPointF& pos() const { return m_pos; }
    virtual void setPos(const QPointF& lonLat);
    qreal longitude() const { return m_pos.x(); }
    void setLongitude(qreal longitude);
    qreal latitude() const { return m_pos.y(); }
    void setLatitude(qreal latitude);

    qreal rotation() const { return m_rotation; }
    void setRotation(qreal rotation);

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    qreal zValue() const { return m_zValue; }
    void setZValue(qreal zValue);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    QString toolTip() const { return m_toolTip; }
    void setToolTip(const QString& toolTip);

    // Bit mask of MapGraphicsObjectFlag values.
    int flags() const { return m_flags; }
    void setFlag(int flag, bool on = true);
    void setFlags(int flags);

protected:
    // Scene events arrive with their scene position replaced by the pointer's
    // longitude and latitude; key events as they are. An event left unaccepted
    // falls through to Qt's standard item handling (move, select).
    virtual void contextMenuEvent(QGraphicsSceneContextMenuEvent* event);
    virtual QVariant itemChange(int change, const QVariant& value);
    virtual void keyPressEvent(QKeyEvent* event);
    virtual void keyReleaseEvent(QKeyEvent* event);
    virtual void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event);
    virtual void mouseMoveEvent(QGraphicsSceneMouseEvent* event);
    // Accepted when the object is movable or selectable, asking for key focus
    // when it is also focusable.
    virtual void mousePressEvent(QGraphicsSceneMouseEvent* event);
    virtual void mouseReleaseEvent(QGraphicsSceneMouseEvent* event);
    virtual void wheelEvent(QGraphicsSceneWheelEvent* event);

signals:
    void enabledChanged();
    void opacityChanged();
    void parentChanged();
    void posChanged();
    void rotationChanged();
    void visibleChanged();
    void zValueChanged();
    void toolTipChanged(const QString& toolTip);
    void flagsChanged();
    void selectedChanged();
    void SIG_isSelected();
    // An object that makes further map objects announces them so the scene adds them.
    void newObjectGenerated(MapGraphicsObject* newObject);
    // The drawing changed without a property change.
    void redrawRequested();
    void keyFocusRequested();

private slots:
    void setConstructed();

private:
    // Emits the signal now, or from a 1 ms single-shot timer while construction lasts.
    void emitOrDefer(void (MapGraphicsObject::*signal)());

    bool m_sizeIsZoomInvariant;
    bool m_enabled = true;
    qreal m_opacity = 1.0;
    MapGraphicsObject* m_parent;
    QPointF m_pos;
    qreal m_rotation = 0.0;
    bool m_visible = true;
    qreal m_zValue = 0.0;
    bool m_selected = false;
    QString m_toolTip;
    int m_flags = 0;
    bool m_constructed = false;
};

#include "ConstructionWindow.h"
#include "DebugCapture.h"
#include "map/graphics/CircleObject.h"
#include "map/graphics/LineObject.h"
#include "map/graphics/MapGraphicsScene.h"
#include "map/graphics/PolygonObject.h"

#include <QCoreApplication>
#include <QGraphicsSceneMouseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// Lets QSignalSpy keep the scene's object arguments.
const int objectPointerType = qRegisterMetaType<MapGraphicsObject*>();

// Reaches the event handlers a map view would call.
class OpenPolygon : public PolygonObject
{
public:
    using PolygonObject::keyReleaseEvent;
    using PolygonObject::mousePressEvent;
    using PolygonObject::PolygonObject;
};

class OpenCircle : public CircleObject
{
public:
    using CircleObject::CircleObject;
    using CircleObject::keyReleaseEvent;
};

// Paints an object once, as the view does, so that a polygon makes its handles.
void paintOnce(MapGraphicsObject& object)
{
    QImage image(8, 8, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    object.paint(&painter, nullptr, nullptr);
}

const QPolygonF Square({QPointF(2.0, 48.0), QPointF(3.0, 48.0), QPointF(3.0, 49.0), QPointF(2.0, 49.0)});

void serveDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Polygons drop their handles with deleteLater: each test ends with them gone.
class PolygonObjectTest : public ::testing::Test
{
protected:
    void TearDown() override { serveDeferredDeletes(); }
};

// A square in a scene, painted once: its handles reached the scene, in the
// order handles lists them.
struct PaintedSquare
{
    PaintedSquare()
    {
        scene.addObject(&polygon);
        QObject::connect(&scene, &MapGraphicsScene::objectAdded, [this](MapGraphicsObject* h) { handles << h; });
        paintOnce(polygon);
    }
    MapGraphicsScene scene;
    OpenPolygon polygon{Square, Qt::blue};
    QList<MapGraphicsObject*> handles;
};

} // namespace

TEST(CircleObject, RadiusHasAFloorOnlyAtConstruction)
{
    CircleObject circle(0, true, Qt::red);
    EXPECT_EQ(circle.radius(), 0.01);
    EXPECT_EQ(circle.boundingRect(), QRectF(-0.01, -0.01, 0.02, 0.02));
    QSignalSpy redraw(&circle, &MapGraphicsObject::redrawRequested);
    circle.setRadius(0);
    EXPECT_EQ(circle.radius(), 0);
    EXPECT_EQ(redraw.count(), 1);
}

TEST(CircleObject, DeleteKeyDeletesIt)
{
    QPointer<OpenCircle> circle = new OpenCircle(5, true, Qt::red);
    QKeyEvent other(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
    circle->keyReleaseEvent(&other);
    EXPECT_FALSE(other.isAccepted());
    QKeyEvent del(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    circle->keyReleaseEvent(&del);
    EXPECT_TRUE(del.isAccepted());
    serveDeferredDeletes();
    EXPECT_TRUE(circle.isNull());
}

TEST(LineObject, ThicknessIsHeldBetweenZeroAndFive)
{
    const struct
    {
        qreal asked, kept;
    } cases[] = {{7, 5}, {-1, 0}, {2.5, 2.5}};
    for (const auto& c : cases) {
        LineObject line(Position(2, 48), Position(2.1, 48), c.asked);
        EXPECT_EQ(line.thickness(), c.kept) << c.asked;
        line.setThickness(c.asked);
        EXPECT_EQ(line.thickness(), c.kept) << c.asked;
    }
}

TEST(LineObject, SitsAtTheMidpointAndSpansItsEnds)
{
    LineObject line(Position(2.0, 48.0), Position(2.0, 48.0 + 2 * 9.0e-6), 1);
    EXPECT_EQ(line.pos(), QPointF(2.0, 48.0 + 9.0e-6));
    // Two metres apart: the smallest extent.
    EXPECT_EQ(line.boundingRect(), QRectF(-5, -5, 10, 10));
    line.setEndPoints(Position(2.0, 48.0), Position(2.01, 48.0));
    EXPECT_EQ(line.pos(), QPointF(2.005, 48.0));
    // Twice the length of 0.01 degree of longitude at 48 N (746.25 m on the ellipsoid).
    EXPECT_NEAR(line.boundingRect().width(), 2 * 746.25, 0.1);
}

TEST_F(PolygonObjectTest, StandsAtItsCentreAndHasNoHandlesBeforeItIsPainted)
{
    MapGraphicsScene scene;
    OpenPolygon polygon(Square, Qt::blue);
    QSignalSpy added(&scene, &MapGraphicsScene::objectAdded);
    scene.addObject(&polygon);
    EXPECT_EQ(polygon.pos(), QPointF(2.5, 48.5));
    EXPECT_EQ(added.count(), 1);
    paintOnce(polygon);
    // One handle per corner and one per edge.
    EXPECT_EQ(added.count(), 1 + 8);
}

TEST_F(PolygonObjectTest, ClickingAnEdgeHandleAddsACornerThere)
{
    PaintedSquare square;
    OpenPolygon& polygon = square.polygon;
    QList<MapGraphicsObject*>& handles = square.handles;
    ASSERT_TRUE(finishConstruction());
    ASSERT_EQ(handles.size(), 8);
    // Handles come in pairs per corner: the corner's, then the next edge's.
    MapGraphicsObject* edgeTwoThree = handles.at(5);
    ASSERT_EQ(edgeTwoThree->toolTip(), "Single-click (don't drag!) to add vertex.");

    QSignalSpy changed(&polygon, &PolygonObject::polygonChanged);
    edgeTwoThree->setSelected(true);
    ASSERT_EQ(changed.count(), 1);
    const QPolygonF corners = polygon.geoPoly();
    ASSERT_EQ(corners.size(), 5);
    EXPECT_EQ(corners.at(3), QPointF(2.5, 49.0));
    EXPECT_FALSE(edgeTwoThree->isSelected());
    EXPECT_EQ(polygon.pos(), QPointF(2.5, 48.5));
    // The new corner's handles reach the scene and work like the others.
    ASSERT_EQ(handles.size(), 10);
    MapGraphicsObject* newCorner = handles.at(8);
    EXPECT_TRUE(newCorner->isSelected());
    ASSERT_TRUE(finishConstruction());
    newCorner->setPos(QPointF(2.5, 49.5));
    EXPECT_EQ(polygon.geoPoly().at(3), QPointF(2.5, 49.5));
}

TEST_F(PolygonObjectTest, DeletingACornerHandleRemovesTheCorner)
{
    PaintedSquare square;
    OpenPolygon& polygon = square.polygon;
    QList<MapGraphicsObject*>& handles = square.handles;
    QSignalSpy changed(&polygon, &PolygonObject::polygonChanged);
    QSignalSpy redraw(&polygon, &MapGraphicsObject::redrawRequested);
    // What the Delete key does to a corner handle.
    handles.at(2)->deleteLater();
    serveDeferredDeletes();
    EXPECT_EQ(polygon.geoPoly(), QPolygonF({QPointF(2.0, 48.0), QPointF(3.0, 49.0), QPointF(2.0, 49.0)}));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(redraw.count(), 1);
}

TEST_F(PolygonObjectTest, MovingThePolygonMovesItsCorners)
{
    OpenPolygon unpainted(Square, Qt::blue);
    unpainted.setPos(QPointF(3.5, 48.5));
    EXPECT_EQ(unpainted.geoPoly().boundingRect().center(), QPointF(3.5, 48.5));

    MapGraphicsScene scene;
    OpenPolygon painted(Square, Qt::blue);
    scene.addObject(&painted);
    paintOnce(painted);
    ASSERT_TRUE(finishConstruction());
    painted.setPos(QPointF(2.5, 47.5));
    EXPECT_EQ(painted.geoPoly().boundingRect().center(), QPointF(2.5, 47.5));
    EXPECT_EQ(painted.pos(), QPointF(2.5, 47.5));
}

TEST_F(PolygonObjectTest, SettingTheSamePolygonChangesNothing)
{
    OpenPolygon polygon(Square, Qt::blue);
    QSignalSpy changed(&polygon, &PolygonObject::polygonChanged);
    polygon.setGeoPoly(QPolygonF(Square));
    EXPECT_EQ(changed.count(), 0);
    const QPolygonF triangle({QPointF(0, 0), QPointF(1, 0), QPointF(0, 1)});
    polygon.setGeoPoly(triangle);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(polygon.pos(), QPointF(0.5, 0.5));
}

TEST_F(PolygonObjectTest, APressIsTakenOnlyInsideTheCorners)
{
    const QPolygonF triangle({QPointF(0, 0), QPointF(1, 0), QPointF(0, 1)});
    OpenPolygon polygon(triangle, Qt::blue);
    const struct
    {
        QPointF at;
        bool accepted;
    } cases[] = {{{0.2, 0.2}, true}, {{0.9, 0.9}, false}, {{2, 2}, false}};
    for (const auto& c : cases) {
        QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
        press.setScenePos(c.at);
        polygon.mousePressEvent(&press);
        EXPECT_EQ(press.isAccepted(), c.accepted) << c.at.x() << "," << c.at.y();
    }
}

TEST_F(PolygonObjectTest, DeleteKeyDeletesThePolygonAndItsHandles)
{
    MapGraphicsScene scene;
    QList<QPointer<MapGraphicsObject>> handles;
    QObject::connect(&scene, &MapGraphicsScene::objectAdded, [&](MapGraphicsObject* h) { handles << h; });
    QPointer<OpenPolygon> polygon = new OpenPolygon(Square, Qt::blue);
    scene.addObject(polygon);
    paintOnce(*polygon);
    QKeyEvent del(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    polygon->keyReleaseEvent(&del);
    EXPECT_TRUE(del.isAccepted());
    serveDeferredDeletes();
    serveDeferredDeletes();
    EXPECT_TRUE(polygon.isNull());
    for (const auto& handle : handles)
        EXPECT_TRUE(handle.isNull());
}

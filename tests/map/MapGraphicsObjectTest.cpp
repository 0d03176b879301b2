#include "map/graphics/MapGraphicsObject.h"
#include "ConstructionWindow.h"
#include "WaitFor.h"
#include "map/graphics/MapGraphicsScene.h"

#include <QGraphicsSceneMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Lets QSignalSpy keep the scene's object arguments.
const int objectPointerType = qRegisterMetaType<MapGraphicsObject*>();

// A plain object whose constructor sets properties, as concrete map objects do.
class Marker : public MapGraphicsObject
{
public:
    explicit Marker(std::function<void(Marker&)> construct = nullptr) : MapGraphicsObject(true)
    {
        if (construct)
            construct(*this);
    }
    QRectF boundingRect() const override { return QRectF(-5, -5, 10, 10); }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}
    using MapGraphicsObject::mousePressEvent;
};

// Sees every position change, including those made through setLongitude.
class PositionWatcher : public Marker
{
public:
    void setPos(const QPointF& lonLat) override
    {
        seen.append(lonLat);
        Marker::setPos(lonLat);
    }
    QList<QPointF> seen;
};

} // namespace

TEST(MapGraphicsObject, SettersInTheConstructorSignalAfterConstructionAlsoToAnItemAddedMeanwhile)
{
    auto marker = std::make_unique<Marker>([](Marker& m) {
        m.setPos(QPointF(2.5, 48.8));
        m.setZValue(3);
    });
    QSignalSpy pos(marker.get(), &MapGraphicsObject::posChanged);
    QSignalSpy z(marker.get(), &MapGraphicsObject::zValueChanged);
    MapGraphicsScene scene;
    scene.addObject(marker.get());
    EXPECT_EQ(pos.count(), 0);
    EXPECT_EQ(z.count(), 0);
    EXPECT_TRUE(waitFor([&] { return pos.count() == 1 && z.count() == 1; }));
    EXPECT_EQ(marker->pos(), QPointF(2.5, 48.8));
}

TEST(MapGraphicsObject, ToolTipAndFlagSignalAtOnceEvenDuringConstruction)
{
    Marker marker;
    QSignalSpy toolTip(&marker, &MapGraphicsObject::toolTipChanged);
    QSignalSpy flags(&marker, &MapGraphicsObject::flagsChanged);
    marker.setToolTip("F5ZZZ");
    marker.setFlag(MapGraphicsObject::MapObjectSelectable);
    ASSERT_EQ(toolTip.count(), 1);
    EXPECT_EQ(toolTip.at(0).at(0).toString(), "F5ZZZ");
    EXPECT_EQ(flags.count(), 1);
    // setFlags, by contrast, waits for the end of construction.
    marker.setFlags(MapGraphicsObject::MapObjectMovable);
    EXPECT_EQ(flags.count(), 1);
    EXPECT_TRUE(waitFor([&] { return flags.count() == 2; }));
    EXPECT_EQ(marker.flags(), int(MapGraphicsObject::MapObjectMovable));
}

TEST(MapGraphicsObject, UnchangedValuesSignalAgainOnlyForTheStoreAnywaySetters)
{
    Marker marker;
    ASSERT_TRUE(finishConstruction());
    struct Case
    {
        const char* name;
        void (MapGraphicsObject::*signal)();
        std::function<void()> setSameValue;
        int emitted;
    } cases[] = {
        {"enabled", &MapGraphicsObject::enabledChanged, [&] { marker.setEnabled(true); }, 1},
        {"opacity", &MapGraphicsObject::opacityChanged, [&] { marker.setOpacity(1.0); }, 1},
        {"parent", &MapGraphicsObject::parentChanged, [&] { marker.setParent(nullptr); }, 1},
        {"pos", &MapGraphicsObject::posChanged, [&] { marker.setPos(QPointF()); }, 1},
        {"z", &MapGraphicsObject::zValueChanged, [&] { marker.setZValue(0); }, 1},
        {"flags", &MapGraphicsObject::flagsChanged, [&] { marker.setFlags(0); }, 1},
        {"rotation", &MapGraphicsObject::rotationChanged, [&] { marker.setRotation(0); }, 0},
        {"visible", &MapGraphicsObject::visibleChanged, [&] { marker.setVisible(true); }, 0},
        {"selected", &MapGraphicsObject::selectedChanged, [&] { marker.setSelected(false); }, 0},
    };
    for (const Case& c : cases) {
        QSignalSpy spy(&marker, c.signal);
        c.setSameValue();
        EXPECT_EQ(spy.count(), c.emitted) << c.name;
    }
}

TEST(MapGraphicsObject, SelectingAfterConstructionAnnouncesTheClickButNotDuringIt)
{
    Marker early;
    QSignalSpy earlyChanged(&early, &MapGraphicsObject::selectedChanged);
    QSignalSpy earlyClick(&early, &MapGraphicsObject::SIG_isSelected);
    early.setSelected(true);
    EXPECT_TRUE(waitFor([&] { return earlyChanged.count() == 1; }));
    ASSERT_TRUE(finishConstruction());
    EXPECT_EQ(earlyClick.count(), 0);

    Marker marker;
    ASSERT_TRUE(finishConstruction());
    QList<QString> order;
    QObject::connect(&marker, &MapGraphicsObject::selectedChanged, [&] { order << "selectedChanged"; });
    QObject::connect(&marker, &MapGraphicsObject::SIG_isSelected, [&] { order << "SIG_isSelected"; });
    marker.setSelected(true);
    EXPECT_EQ(order, (QList<QString>{"selectedChanged", "SIG_isSelected"}));
    order.clear();
    marker.setSelected(false);
    EXPECT_EQ(order, QList<QString>{"selectedChanged"});
}

TEST(MapGraphicsObject, LongitudeAndLatitudeSettersGoThroughTheVirtualSetPos)
{
    PositionWatcher watcher;
    watcher.setPos(QPointF(2.5, 48.8));
    watcher.setLongitude(3.0);
    watcher.setLatitude(45.0);
    EXPECT_EQ(watcher.seen, (QList<QPointF>{{2.5, 48.8}, {3.0, 48.8}, {3.0, 45.0}}));
}

TEST(MapGraphicsObject, MousePressIsTakenOnlyByMovableOrSelectableObjects)
{
    const struct
    {
        int flags;
        bool accepted;
        bool focusRequested;
    } cases[] = {
        {0, false, false},
        {MapGraphicsObject::MapObjectFocusable, false, false},
        {MapGraphicsObject::MapObjectMovable, true, false},
        {MapGraphicsObject::MapObjectSelectable, true, false},
        {MapGraphicsObject::MapObjectSelectable | MapGraphicsObject::MapObjectFocusable, true, true},
    };
    for (const auto& c : cases) {
        Marker marker;
        marker.setFlag(c.flags);
        QSignalSpy focus(&marker, &MapGraphicsObject::keyFocusRequested);
        QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
        press.setAccepted(!c.accepted);
        marker.mousePressEvent(&press);
        EXPECT_EQ(press.isAccepted(), c.accepted) << c.flags;
        EXPECT_EQ(focus.count(), c.focusRequested ? 1 : 0) << c.flags;
    }
}

TEST(MapGraphicsScene, AnnouncesAddedRemovedAndDeletedObjects)
{
    MapGraphicsScene scene;
    // Addresses only: a removed object may be gone already.
    QList<const void*> added, removed;
    QObject::connect(&scene, &MapGraphicsScene::objectAdded, [&](MapGraphicsObject* o) { added << o; });
    QObject::connect(&scene, &MapGraphicsScene::objectRemoved, [&](MapGraphicsObject* o) { removed << o; });
    scene.addObject(nullptr);
    EXPECT_TRUE(added.isEmpty());

    auto marker = std::make_unique<Marker>();
    const void* address = marker.get();
    scene.addObject(marker.get());
    EXPECT_EQ(added, QList<const void*>{address});
    marker.reset();
    EXPECT_EQ(removed, QList<const void*>{address});

    // Removing what is not there is announced all the same.
    Marker stranger;
    scene.removeObject(&stranger);
    EXPECT_EQ(removed.size(), 2);
}

TEST(MapGraphicsScene, AddsTheObjectsAnObjectGenerates)
{
    MapGraphicsScene scene;
    Marker maker;
    Marker handle;
    scene.addObject(&maker);
    QSignalSpy added(&scene, &MapGraphicsScene::objectAdded);
    emit maker.newObjectGenerated(&handle);
    ASSERT_EQ(added.count(), 1);
    EXPECT_EQ(added.at(0).at(0).value<MapGraphicsObject*>(), &handle);
}

TEST(MapGraphicsScene, DestroyingTheSceneLeavesItsObjectsAlive)
{
    auto scene = std::make_unique<MapGraphicsScene>();
    Marker a, b;
    scene->addObject(&a);
    scene->addObject(&b);
    QSignalSpy removed(scene.get(), &MapGraphicsScene::objectRemoved);
    QPointer<MapGraphicsObject> guardA(&a);
    scene.reset();
    EXPECT_EQ(removed.count(), 2);
    EXPECT_FALSE(guardA.isNull());
}

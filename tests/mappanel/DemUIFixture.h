#pragma once

// The map panel on a real engine attached to the test receiver, with an empty
// beacon database of the program's layout and offline tiles (the network
// layer's server refuses). The objects the panel puts on its map are
// collected by kind as the scene announces them.

#include "AttachedEngine.h"
#include "SqliteFile.h"
#include "lists/dbBeacon.h"
#include "map/graphics/MapGraphicsScene.h"
#include "mappanel/BeaconMapObject.h"
#include "mappanel/DemUI.h"

#include <QSettings>

#include <memory>

class DemUITest : public AttachedEngine
{
protected:
    void SetUp() override
    {
        QSettings settings(dir.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
        settings.setValue("Map/tile_server", "http://127.0.0.1:9");
        settings.sync();
        db = std::make_unique<SqliteFile>(dir.file("db/Orvex.sqlite"));
        db->exec(dbBeacon::createTableStatement());
        for (const char* column : {"ASL", "POWER", "ANTENNA", "BEARING", "BEACON_TYPE", "BEACON_SUBTYPE", "comment"})
            db->exec(QString("ALTER TABLE BEACONS ADD COLUMN %1 TEXT").arg(column));
        attach();
        panel = std::make_unique<DemUI>();
        scene = panel->findChild<MapGraphicsScene*>();
        QObject::connect(scene, &MapGraphicsScene::objectAdded, [this](MapGraphicsObject* object) {
            if (auto* beacon = dynamic_cast<BeaconMapObject*>(object))
                objects.append(beacon);
            added.append(object);
        });
        QObject::connect(scene, &MapGraphicsScene::objectRemoved,
                         [this](MapGraphicsObject* object) { added.removeAll(object); });
    }
    void TearDown() override
    {
        panel.reset();
        AttachedEngine::TearDown();
    }
    void addBeacon(const QString& callsign, qint64 freq, double lat, double lon)
    {
        db->exec("insert into BEACONS (CALLSIGN, FREQ, LOCATOR, LAT, LON) values (?, ?, '', ?, ?)",
                 {callsign, freq, lat, lon});
    }
    BeaconMapObject* object(const QString& callsign) const
    {
        for (BeaconMapObject* o : objects)
            if (o->row()->CALLSIGN == callsign)
                return o;
        return nullptr;
    }
    bool visible(const QString& callsign) const { return object(callsign)->isVisible(); }
    // The objects of one kind now on the map, in the order they came.
    template <typename T>
    QList<T*> onMap() const
    {
        QList<T*> found;
        for (MapGraphicsObject* o : added)
            if (auto* t = dynamic_cast<T*>(o))
                found.append(t);
        return found;
    }

    std::unique_ptr<SqliteFile> db;
    std::unique_ptr<DemUI> panel;
    MapGraphicsScene* scene = nullptr;
    QList<BeaconMapObject*> objects;
    QList<MapGraphicsObject*> added;
};

#pragma once

#include "BeaconFilter.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>

class ADSBReceiver;
class AircraftTrack;
class AntennaMapObject;
class Controller;
class MapGraphicsObject;
class MapGraphicsScene;
class MapGraphicsView;
class QCheckBox;
class QPlaneWrapper;
class QLCDNumber;
class QTextBrowser;
class QwtPlot;
class QwtPlotCurve;
class TerrainProfileWorker;
class Whatson;
class dbBeacon;
class whatsonMapObject;
class zxDial;
struct RFStation;
struct TerrainProfile;

// The map tab: the station on a tile map (network tiles under a degree grid)
// with the antenna beam, the beacons and personal memories within the
// receiver's range, the remote server's bookmarks and the spots of its other
// users; a side column with the antenna azimuth and knob, the zoom knob and
// two filter switches; an information pane about the object last selected,
// whose frequency links tune RX A; and the terrain profile in the antenna's
// direction. On request it also shows the broadcast schedule's stations and
// the aircraft an ADS-B receiver hears.
//
// Everything runs in the GUI thread, except the terrain profile, which is
// read in a worker thread and drawn when it arrives; the map's tiles come from
// the view's tile threads. The ADS-B receiver's aircraft arrive as copies
// through queued signals.
class DemUI : public QWidget
{
    Q_OBJECT

public:
    // Length of the terrain profile.
    static constexpr float DefaultProfileRangeM = 50000.0f;
    // Delay after setController before the beacon objects are built.
    static constexpr int BeaconBuildDelayMs = 2000;

    explicit DemUI(QWidget* parent = nullptr);
    // Deletes the map objects the panel made (no one else holds them) and
    // stops the profile thread.
    ~DemUI() override;

    // Keeps the engine, follows its retunes and spots, and builds the beacon
    // objects BeaconBuildDelayMs later.
    void setController(Controller* controller);
    // Shows the receiver's aircraft from now on and starts it; the receiver is
    // not owned. Null and a second receiver are ignored.
    void setADSBReceiver(ADSBReceiver* receiver);
    // Ends the ADS-B receiver's thread (bounded: it stops on request), at close.
    void stopADSBReceiver();

    // Shows or hides every frequency object by the filters.
    void applyBeaconFilters();
    // Asks for the profile in the antenna's direction, then applies the filters.
    void updateTerrainProfile();

public slots:
    void SLOT_updateAntennaDirection(float angleDeg, float newElevation);
    void SLOT_zoomCursorChanged(int value);
    void SLOT_zoomLevelChangedOnMap(quint8 nZoom);
    void SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel);
    void SLOT_BandSelected(qlonglong freq_start, qlonglong freq_stop);
    void SLOT_stationChangedLocation(double latitude, double longitude);
    void SLOT_ADSBupdated();
    // With a broadcast schedule: its stations as map objects. Without one: the
    // beacons, memories and remote bookmarks in the receiver's range.
    void SLOT_UpdateBeacons(Whatson* sender);
    void SLOT_UpdateBeacons();
    void SLOT_VantorSpot(QString name, double latitude, double longitude, double freqMHZ, int lifetime);

private slots:
    void PRIV_SLOT_upAntennaDirection(int angleDeg);
    void PRIV_SLOT_BeaconSelected(dbBeacon* me, qlonglong beaconFreq);
    void PRIV_SLOT_WhatsonMapSelected(RFStation* station, qlonglong beaconFreq);
    void PRIV_SLOT_anchorClicked(const QUrl& link);
    void PRIV_SLOT_inCoverageBeaconsFilter();
    void PRIV_SLOT_inBandBeaconsFilter();
    void PRIV_SLOT_profileReady(const TerrainProfile& profile);
    // An aircraft got a position or changed; an aircraft went silent.
    void PRIV_SLOT_aircraftSeen(const AircraftTrack& track);
    void PRIV_SLOT_aircraftGone(quint32 address);

private:
    // A frequency object on the map and the row it shows (owned by the panel).
    struct BeaconEntry
    {
        MapGraphicsObject* object;
        dbBeacon* row;
    };

    void buildMapView(QWidget* row);
    QWidget* buildSideColumn();
    void buildProfilePlot();
    // The receiver's tuning range (its converter's input range when one is attached).
    BeaconFilter::Range receiverRange() const;
    // Adopts the row, puts an object for it on the map and keeps both.
    MapGraphicsObject* addBeaconObject(dbBeacon* row, const QColor& color);
    void applyFilterTo(const BeaconEntry& entry, BeaconFilter::Range range);
    void addDatabaseBeacons(BeaconFilter::Range range);
    void addMemories(BeaconFilter::Range range);
    void addRemoteBookmarks();
    void addScheduleStations();

    BeaconFilter filter;
    Controller* controller = nullptr;
    QwtPlot* profilePlot;
    QwtPlotCurve* profileCurve;
    zxDial* antennaDial;
    zxDial* zoomDial;
    QCheckBox* frequencyFilterBox;
    QCheckBox* bandFilterBox;
    MapGraphicsScene* scene;
    MapGraphicsView* view;
    QLCDNumber* azimuthDisplay;
    QTextBrowser* infoPane;
    float profileRangeM = DefaultProfileRangeM;
    QList<BeaconEntry> beaconObjects;
    AntennaMapObject* antennaObject;
    TerrainProfileWorker* profileWorker;
    // Broadcast stations and aircraft: never filtered, owned by the panel.
    QList<whatsonMapObject*> stationObjects;
    QHash<quint32, QPlaneWrapper*> aircraftObjects;
    QPointer<ADSBReceiver> adsbReceiver; // cleared should it go first
};

#include "DemUI.h"

#include "AntennaMapObject.h"
#include "BeaconInfoText.h"
#include "BeaconMapObject.h"
#include "TerrainProfileWorker.h"

#include "core/AntennaSystem.h"
#include "decoders/adsb/ADSBReceiver.h"
#include "decoders/adsb/QPlaneWrapper.h"
#include "decoders/whatson/RFStation.h"
#include "decoders/whatson/Whatson.h"
#include "decoders/whatson/WhatsonMapObject.h"
#include "engine/plugins/PluginManager.h"
#include "engine/Controller.h"
#include "engine/FrequencyConverter.h"
#include "engine/ReceiverHardware.h"
#include "hardware/RemoteReceiverHardware.h"
#include "lists/DB.h"
#include "lists/dbUserFreq.h"
#include "map/geo/GeoTools.h"
#include "map/graphics/MapGraphicsScene.h"
#include "map/graphics/MapGraphicsView.h"
#include "map/tiles/CompositeTileSource.h"
#include "map/tiles/GridTileSource.h"
#include "map/tiles/OSMTileSource.h"
#include "srvlib/SrvBookmark.h"
#include "srvlib/SrvServer.h"
#include "ui/widgets/zxDial.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLCDNumber>
#include <QLabel>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <qwt_knob.h>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int InitialZoom = 10;
// Beacons of the aircraft band are shown only near the station.
constexpr double AircraftBandMaxDistanceM = 150000.0;
constexpr qint64 AircraftBandLow = 108000000;
constexpr qint64 AircraftBandHigh = 144000000;

} // namespace

DemUI::DemUI(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* row = new QWidget(this);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setAlignment(Qt::AlignLeft);

    scene = new MapGraphicsScene(this);
    view = new MapGraphicsView(scene, this);
    buildMapView(row);
    rowLayout->addWidget(buildSideColumn());
    layout->addWidget(row);

    infoPane = new QTextBrowser(this);
    infoPane->setMinimumHeight(60);
    infoPane->setReadOnly(true);
    infoPane->setOpenExternalLinks(false);
    infoPane->setOpenLinks(false);
    layout->addWidget(infoPane);

    buildProfilePlot();
    layout->addWidget(profilePlot);

    profileWorker = new TerrainProfileWorker;
    connect(profileWorker, &TerrainProfileWorker::SIG_profileReady, this, &DemUI::PRIV_SLOT_profileReady,
            Qt::QueuedConnection);

    connect(zoomDial, &zxDial::valueChanged, this, &DemUI::SLOT_zoomCursorChanged);
    connect(view, &MapGraphicsView::zoomLevelChanged, this, &DemUI::SLOT_zoomLevelChangedOnMap);
    connect(antennaDial, &zxDial::valueChanged, this, &DemUI::PRIV_SLOT_upAntennaDirection, Qt::QueuedConnection);
    connect(bandFilterBox, &QCheckBox::clicked, this, &DemUI::PRIV_SLOT_inBandBeaconsFilter, Qt::QueuedConnection);
    connect(frequencyFilterBox, &QCheckBox::clicked, this, &DemUI::PRIV_SLOT_inCoverageBeaconsFilter,
            Qt::QueuedConnection);
    connect(infoPane, &QTextBrowser::anchorClicked, this, &DemUI::PRIV_SLOT_anchorClicked, Qt::QueuedConnection);
    connect(&GeoTools::instance(), &GeoTools::SIG_StationLocationChanged, this, &DemUI::SLOT_stationChangedLocation,
            Qt::QueuedConnection);

    antennaObject = new AntennaMapObject;
    scene->addObject(antennaObject);
    connect(AntennaSystem::instance(), &AntennaSystem::SIG_AntennaOrientationChanged, this,
            &DemUI::SLOT_updateAntennaDirection, Qt::QueuedConnection);
}

DemUI::~DemUI()
{
    // Deleting the view waits for its tile threads while serving events: no
    // report of the station, the antenna, the engine, the ADS-B receiver or
    // the profile thread may reach a panel whose objects are going.
    disconnect(profileWorker, nullptr, this, nullptr);
    disconnect(&GeoTools::instance(), nullptr, this, nullptr);
    disconnect(AntennaSystem::instance(), nullptr, this, nullptr);
    if (controller != nullptr)
        disconnect(controller, nullptr, this, nullptr);
    if (adsbReceiver != nullptr)
        disconnect(adsbReceiver.data(), nullptr, this, nullptr);
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);

    for (const BeaconEntry& entry : qAsConst(beaconObjects))
        delete entry.object;
    beaconObjects.clear();
    qDeleteAll(stationObjects);
    qDeleteAll(aircraftObjects);
    delete antennaObject;
    delete profileWorker;
    delete view;
    delete scene;
}

void DemUI::buildMapView(QWidget* row)
{
    // The network layer at the bottom, the grid drawn over it.
    auto network = makeTileSource<OSMTileSource>(OSMTileSource::OSMTiles);
    auto grid = makeTileSource<GridTileSource>();
    auto composite = makeTileSource<CompositeTileSource>();
    composite->addSourceBottom(network, 1.0);
    composite->addSourceTop(grid, 1.0);
    view->setTileSource(composite);

    view->setZoomLevel(InitialZoom, MapGraphicsView::ZoomAroundCentre);
    const Position station = GeoTools::instance().getStationPosition();
    view->centerOn(station.longitude(), station.latitude());
    view->setToolTip(tr("Vue OpenStreetMap"));
    row->layout()->addWidget(view);
}

QWidget* DemUI::buildSideColumn()
{
    auto* column = new QWidget;
    column->setMinimumWidth(100);
    column->setMaximumWidth(120);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setAlignment(Qt::AlignTop);

    azimuthDisplay = new QLCDNumber(4);
    azimuthDisplay->setToolTip(tr("Orientation de l'antenne"));
    azimuthDisplay->setSegmentStyle(QLCDNumber::Filled);
    azimuthDisplay->display(0);
    layout->addWidget(azimuthDisplay);

    antennaDial = new zxDial(4, tr("Orientation"), false);
    antennaDial->setToolTip(tr("Controler l'orientation de l'antenne"));
    antennaDial->setRange(0, 360);
    antennaDial->setValueQuiet(0);
    layout->addWidget(antennaDial);

    zoomDial = new zxDial(4, tr("Zoom"), true);
    zoomDial->setToolTip(tr("Niveau de zoom de la carte"));
    zoomDial->setRange(1, 18);
    zoomDial->setValueQuiet(InitialZoom);
    if (auto* knob = zoomDial->findChild<QwtKnob*>())
        knob->setTotalSteps(20);
    layout->addWidget(zoomDial);

    auto* separator = new QWidget;
    separator->setFixedHeight(2);
    separator->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    separator->setStyleSheet(QStringLiteral("background-color: #c0c0c0;"));
    layout->addWidget(separator);

    layout->addWidget(new QLabel(tr("Filtre 'balises' :")));
    frequencyFilterBox = new QCheckBox(tr("Par frequence"));
    frequencyFilterBox->setToolTip(tr("Afficher/Cacher les objets en fonction de la frequence recue"));
    frequencyFilterBox->setChecked(filter.byFrequency());
    layout->addWidget(frequencyFilterBox);
    bandFilterBox = new QCheckBox(tr("Par bande"));
    bandFilterBox->setToolTip(tr("Afficher/Cacher les objets en fonction de la bande choisie"));
    bandFilterBox->setChecked(filter.byBand());
    layout->addWidget(bandFilterBox);
    return column;
}

void DemUI::buildProfilePlot()
{
    profilePlot = new QwtPlot(this);
    profilePlot->setToolTip(tr("Profil du terrain face a l'antenne"));
    profilePlot->setAutoFillBackground(true);
    auto* grid = new QwtPlotGrid;
    grid->enableXMin(true);
    grid->setMajorPen(Qt::white, 0, Qt::DotLine);
    grid->setMinorPen(Qt::gray, 0, Qt::DotLine);
    grid->attach(profilePlot);
    profilePlot->setCanvasBackground(QColor(Qt::darkBlue));
    profileCurve = new QwtPlotCurve(QStringLiteral("Terrain"));
    profileCurve->setRenderHint(QwtPlotItem::RenderAntialiased);
    profileCurve->setPen(QPen(Qt::yellow));
    profileCurve->attach(profilePlot);
    profilePlot->setMinimumHeight(100);
    profilePlot->setMaximumHeight(200);
}

void DemUI::setController(Controller* engine)
{
    controller = engine;
    connect(controller, &Controller::MSG_ChannelizerIsRetuned, this, &DemUI::SLOT_ChannelizerIsRetuned,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_VantorSpot, this, &DemUI::SLOT_VantorSpot, Qt::QueuedConnection);
    QTimer::singleShot(BeaconBuildDelayMs, this, qOverload<>(&DemUI::SLOT_UpdateBeacons));
}

void DemUI::setADSBReceiver(ADSBReceiver* receiver)
{
    if (receiver == nullptr || adsbReceiver != nullptr)
        return;
    adsbReceiver = receiver;
    connect(receiver, &ADSBReceiver::SIG_listUpdated, this, &DemUI::SLOT_ADSBupdated);
    // Emitted on the receiver's own thread with copies of the tracks.
    connect(receiver, &ADSBReceiver::SIG_aircraftAppeared, this, &DemUI::PRIV_SLOT_aircraftSeen,
            Qt::QueuedConnection);
    connect(receiver, &ADSBReceiver::SIG_aircraftMoved, this, &DemUI::PRIV_SLOT_aircraftSeen,
            Qt::QueuedConnection);
    connect(receiver, &ADSBReceiver::SIG_aircraftGone, this, &DemUI::PRIV_SLOT_aircraftGone,
            Qt::QueuedConnection);
    receiver->startADSB();
}

void DemUI::stopADSBReceiver()
{
    if (adsbReceiver != nullptr)
        adsbReceiver->stopADSB();
}

BeaconFilter::Range DemUI::receiverRange() const
{
    ReceiverHardware* hw = controller != nullptr ? controller->getReceiverHardware() : nullptr;
    if (hw == nullptr)
        return BeaconFilter::NoReceiverRange;
    if (const FrequencyConverter* converter = hw->frequencyConverter.load())
        return {converter->In_Min, converter->In_Max};
    return {hw->getMin_HWRx_CenterFreq(), hw->getMax_HWRx_CenterFreq()};
}

void DemUI::applyFilterTo(const BeaconEntry& entry, BeaconFilter::Range range)
{
    const bool visible = filter.shows(qint64(entry.row->FREQ), range);
    if (entry.object->isVisible() != visible)
        entry.object->setVisible(visible);
}

void DemUI::applyBeaconFilters()
{
    const BeaconFilter::Range range = receiverRange();
    for (const BeaconEntry& entry : qAsConst(beaconObjects))
        applyFilterTo(entry, range);
}

void DemUI::updateTerrainProfile()
{
    GeoTools& geo = GeoTools::instance();
    profileWorker->request(geo.getStationPosition(), AntennaSystem::instance()->getAzimuth(), profileRangeM,
                           geo.terrainGrid());
    applyBeaconFilters();
}

void DemUI::PRIV_SLOT_profileReady(const TerrainProfile& profile)
{
    profilePlot->setAutoReplot(false);
    profilePlot->setAxisScale(QwtPlot::xBottom, 0, profile.rangeM / 1000.0);
    profilePlot->setAutoReplot(true);
    profilePlot->setAxisScale(QwtPlot::yLeft, profile.low - 10, profile.high + 50);
    profileCurve->setSamples(profile.distancesKm, profile.heights);
    profilePlot->replot();
}

void DemUI::SLOT_updateAntennaDirection(float angleDeg, float)
{
    azimuthDisplay->display(int(angleDeg));
    updateTerrainProfile();
}

void DemUI::SLOT_zoomCursorChanged(int value)
{
    view->setZoomLevel(quint8(std::clamp(value, 0, 255)), MapGraphicsView::ZoomAroundCentre);
}

void DemUI::SLOT_zoomLevelChangedOnMap(quint8 nZoom)
{
    zoomDial->setValueQuiet(nZoom);
    updateTerrainProfile();
}

void DemUI::SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float, int)
{
    // The window depends on the receiver alone, so either channel's report moves it.
    ReceiverHardware* hw = controller != nullptr ? controller->getReceiverHardware() : nullptr;
    if (hw == nullptr)
        return;
    const qint64 low = filter.windowLow();
    const qint64 high = filter.windowHigh();
    if (!filter.setReceiverWindow(hwRXCenter, hw->getActualRxSampleRate()))
        return;
    if (filter.windowLow() != low || filter.windowHigh() != high)
        applyBeaconFilters();
}

void DemUI::SLOT_BandSelected(qlonglong freq_start, qlonglong freq_stop)
{
    filter.selectBand(freq_start, freq_stop);
    applyBeaconFilters();
}

void DemUI::SLOT_stationChangedLocation(double latitude, double longitude)
{
    antennaObject->SLOT_stationChangedLocation(float(latitude), float(longitude));
    view->centerOn(longitude, latitude);
    updateTerrainProfile();
    update();
}

MapGraphicsObject* DemUI::addBeaconObject(dbBeacon* row, const QColor& color)
{
    row->setParent(this);
    auto* object = new BeaconMapObject(row, color);
    connect(object, &BeaconMapObject::SIG_BeaconSelected, this, &DemUI::PRIV_SLOT_BeaconSelected,
            Qt::QueuedConnection);
    beaconObjects.append({object, row});
    scene->addObject(object);
    return object;
}

void DemUI::addDatabaseBeacons(BeaconFilter::Range range)
{
    DB db;
    const QList<dbBeacon*> rows = db.select_all_beacons();
    QString lastCallsign;
    for (dbBeacon* row : rows) {
        const qint64 frequency = qint64(row->FREQ);
        bool taken = false;
        if (row->hasPosition() && range.min <= frequency && frequency <= range.max
            && row->CALLSIGN != lastCallsign) {
            lastCallsign = row->CALLSIGN;
            taken = !(row->distanceFromStation() > AircraftBandMaxDistanceM && AircraftBandLow < frequency
                      && frequency < AircraftBandHigh);
        }
        if (taken)
            addBeaconObject(row, QColor(Qt::yellow));
        else
            delete row;
    }
}

void DemUI::addMemories(BeaconFilter::Range range)
{
    dbUserFreq query;
    const QList<dbUserFreq*> rows = query.select_all(0, 0);
    for (dbUserFreq* row : rows) {
        const qint64 frequency = qint64(row->FREQ);
        if (row->hasPosition() && range.min <= frequency && frequency <= range.max)
            addBeaconObject(row, row->color);
        else
            delete row;
    }
}

void DemUI::addRemoteBookmarks()
{
    auto* remote = dynamic_cast<RemoteReceiverHardware*>(controller->getReceiverHardware());
    SrvServer* server = remote != nullptr ? remote->server() : nullptr;
    if (server == nullptr)
        return;
    int count = 0;
    SrvBookmark** list = server->requestBookmarks(&count);
    if (list == nullptr)
        return;
    for (int i = 0; i < count; ++i) {
        const SrvBookmark* mark = list[i];
        if (mark == nullptr) // a list item that was no object
            continue;
        auto* row = new dbBeacon;
        row->CALLSIGN = QString::fromStdString(mark->name);
        row->FREQ = quint64(std::max<int64_t>(0, mark->frequency));
        row->latitude = mark->latitude;
        row->longitude = mark->longitude;
        addBeaconObject(row, row->color);
        delete mark;
    }
    std::free(list);
}

void DemUI::SLOT_ADSBupdated()
{
    for (QPlaneWrapper* plane : qAsConst(aircraftObjects)) {
        if (!plane->pendingAdd)
            continue;
        scene->addObject(plane);
        plane->pendingAdd = false;
    }
}

void DemUI::PRIV_SLOT_aircraftSeen(const AircraftTrack& track)
{
    // A move of an aircraft the panel has not seen appear (it was heard
    // before the panel listened) shows it all the same.
    QPlaneWrapper*& plane = aircraftObjects[track.address()];
    if (plane == nullptr) {
        plane = new QPlaneWrapper;
        plane->setTrack(track);
    } else {
        plane->updateTrack(track);
    }
    SLOT_ADSBupdated();
}

void DemUI::PRIV_SLOT_aircraftGone(quint32 address)
{
    // The scene drops a destroyed object itself.
    delete aircraftObjects.take(address);
}

void DemUI::SLOT_UpdateBeacons()
{
    SLOT_UpdateBeacons(nullptr);
}

void DemUI::addScheduleStations()
{
    for (RFStation* station : Whatson::getStationList()) {
        if (station == nullptr)
            continue;
        auto* object = new whatsonMapObject(station, QColor(Qt::blue));
        connect(object, &whatsonMapObject::SIG_WhatsonMapSelected, this, &DemUI::PRIV_SLOT_WhatsonMapSelected,
                Qt::QueuedConnection);
        stationObjects.append(object);
        scene->addObject(object);
    }
}

void DemUI::SLOT_UpdateBeacons(Whatson* sender)
{
    if (controller == nullptr)
        return;
    if (sender != nullptr) {
        addScheduleStations();
        return;
    }
    const BeaconFilter::Range range = receiverRange();
    addDatabaseBeacons(range);
    addMemories(range);
    ReceiverHardware* hw = controller->getReceiverHardware();
    if (hw != nullptr && hw->getType() == ReceiverHardware::Orvex_Remote)
        addRemoteBookmarks();
    updateTerrainProfile();
}

void DemUI::SLOT_VantorSpot(QString name, double latitude, double longitude, double freqMHZ, int)
{
    const BeaconFilter::Range range = receiverRange();
    const quint64 frequency = quint64(std::max<qint64>(0, BeaconInfoText::hertzFromMegahertz(freqMHZ)));
    auto found = std::find_if(beaconObjects.cbegin(), beaconObjects.cend(),
                              [&name](const BeaconEntry& entry) { return entry.row->CALLSIGN == name; });
    if (found != beaconObjects.cend()) {
        found->object->setPos(QPointF(longitude, latitude));
        found->row->FREQ = frequency;
        applyFilterTo(*found, range);
        return;
    }
    auto* row = new dbBeacon;
    row->CALLSIGN = name;
    row->latitude = latitude;
    row->longitude = longitude;
    row->FREQ = frequency;
    addBeaconObject(row, row->color);
    applyFilterTo(beaconObjects.last(), range);
}

void DemUI::PRIV_SLOT_upAntennaDirection(int angleDeg)
{
    AntennaSystem::instance()->setAzimuth(float(angleDeg));
}

void DemUI::PRIV_SLOT_BeaconSelected(dbBeacon* me, qlonglong)
{
    DB db;
    QList<dbBeacon*> rows = db.select_beacons_by_callsign(me->CALLSIGN);
    const bool fromDatabase = !rows.isEmpty();
    if (!fromDatabase)
        rows.append(me);
    infoPane->append(BeaconInfoText::describeBeacon(me->CALLSIGN, rows));
    if (fromDatabase)
        qDeleteAll(rows);
}

void DemUI::PRIV_SLOT_WhatsonMapSelected(RFStation* station, qlonglong beaconFreq)
{
    if (station == nullptr)
        return;
    infoPane->append(BeaconInfoText::describeStation(*station, beaconFreq));
    PluginManager::instance()->invokePluginMethod("WHATSON", "showStation", {station->schedkey},
                                                  Qt::AutoConnection);
}

void DemUI::PRIV_SLOT_anchorClicked(const QUrl& link)
{
    const qint64 frequency = BeaconInfoText::linkFrequency(link);
    if (controller != nullptr && frequency > 0)
        controller->setAbsoluteRxFreq(frequency, 0);
}

void DemUI::PRIV_SLOT_inCoverageBeaconsFilter()
{
    if (frequencyFilterBox->isChecked() == filter.byFrequency())
        return;
    filter.setByFrequency(frequencyFilterBox->isChecked());
    applyBeaconFilters();
}

void DemUI::PRIV_SLOT_inBandBeaconsFilter()
{
    if (bandFilterBox->isChecked() == filter.byBand())
        return;
    filter.setByBand(bandFilterBox->isChecked());
    applyBeaconFilters();
}

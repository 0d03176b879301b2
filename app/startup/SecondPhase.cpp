#include "SecondPhase.h"

#include "FirstPhase.h"
#include "core/QLogger.h"
#include "engine/Controller.h"
#include "engine/FrequencyConverter.h"
#include "engine/ReceiverHardware.h"
#include "engine/audio/AudioDeviceSelector.h"
#include "engine/board/BoardSettings.h"
#include "engine/plugins/ContainerPlugin.h"
#include "engine/plugins/PluginManager.h"
#include "hardware/HardwareSelectionWindow.h"
#include "hardware/RadioHardwareProvider.h"
#include "hardware/RemoteReceiverHardware.h"
#include "lists/BookmarkEntry.h"
#include "lists/Bookmarks.h"
#include "lists/DB.h"
#include "lists/dbRadioSegment.h"
#include "srvlib/SrvBookmark.h"
#include "srvlib/SrvServer.h"
#include "mainwindow/FrontPanel.h"
#include "mainwindow/ReceiverRange.h"
#include "scripting/ScriptCore.h"

#include <QApplication>
#include <QDebug>
#include <QSettings>
#include <QSplashScreen>

#include <cstdlib>
#include <memory>

namespace {

void trace(const QString& text)
{
    QLogger::logTrace(LogModule, text);
}

void splashMessage(StartupFrame& frame, const char* text)
{
    if (frame.splash)
        frame.splash->showMessage(QObject::tr(text), Qt::AlignLeft | Qt::AlignTop, Qt::white);
}

// Releases every receiver the provider found, then the provider.
void releaseAll(RadioHardwareProvider* provider)
{
    for (ReceiverHardware* receiver : *provider->receivers())
        delete receiver;
    provider->receivers()->clear();
    delete provider;
}

QList<dbRadioSegment*> remoteSegments(ReceiverHardware* receiver, const ReceiverRange& range, QObject* owner)
{
    QList<dbRadioSegment*> selected;
    auto* remote = dynamic_cast<RemoteReceiverHardware*>(receiver);
    SrvServer* server = remote != nullptr ? remote->server() : nullptr;
    if (server == nullptr)
        return selected;
    int count = 0;
    SrvBand** bands = server->requestBands(&count);
    if (bands == nullptr)
        return selected;
    for (int i = 0; i < count; ++i) {
        const SrvBand* band = bands[i];
        // A list item that was no object left no record.
        if (band != nullptr &&
            SecondPhase::segmentInRange(band->startFrequency, band->stopFrequency, range.low, range.high)) {
            auto* segment = new dbRadioSegment(owner);
            segment->ID = band->ID;
            segment->FSTART = quint64(band->startFrequency);
            segment->FSTOP = quint64(band->stopFrequency);
            segment->NAME = QString::fromStdString(band->name);
            selected.append(segment);
        }
        delete band;
    }
    free(bands);
    return selected;
}

QList<dbRadioSegment*> databaseSegments(const ReceiverRange& range, QObject* owner)
{
    QList<dbRadioSegment*> selected;
    QList<dbRadioSegment*> all;
    {
        DB db;
        all = db.select_all_radio_segments();
    }
    for (dbRadioSegment* segment : all) {
        QCoreApplication::processEvents();
        segment->setParent(owner);
        if (SecondPhase::segmentInRange(qint64(segment->FSTART), qint64(segment->FSTOP), range.low, range.high))
            selected.append(segment);
    }
    return selected;
}

void addBandEdges(const QList<dbRadioSegment*>& segments)
{
    for (const dbRadioSegment* segment : segments) {
        BookmarkEntry start;
        start.frequency = qint64(segment->FSTART);
        start.name = "[" + segment->NAME + "...";
        start.labelColor = QColor("orange");
        Bookmarks::instance()->addBookmark(start);
        BookmarkEntry stop;
        stop.frequency = qint64(segment->FSTOP);
        stop.name = "..." + segment->NAME + "]";
        stop.labelColor = QColor("orange");
        Bookmarks::instance()->addBookmark(stop);
    }
}

} // namespace

namespace SecondPhase {

bool segmentInRange(qint64 start, qint64 stop, qint64 low, qint64 high)
{
    return start <= high && stop >= low;
}

void chooseSoundInput(ReceiverHardware* receiver)
{
    AudioDeviceSelector dialog(false);
    QString current;
    receiver->getParam("audioInputName", current);
    qDebug() << "board->getParam(audioInputName) returns " << current;
    if (!current.isEmpty())
        dialog.selectDevice(current);
    dialog.exec();
    qDebug() << "Audio selection is " << dialog.selectedDevice;
    receiver->setParam("audioInputName", dialog.selectedDevice);
}

void loadBoardFile(StartupFrame& frame, ReceiverHardware* receiver)
{
    const QString name = BoardSettings::receiverName(receiver);
    std::unique_ptr<QSettings> board = BoardSettings::open(receiver);
    const BoardSettings::StartupValues values = BoardSettings::readStartupValues(
        *board, receiver->getMin_HWRx_CenterFreq(), receiver->getMax_HWRx_CenterFreq());
    if (values.converterMissing) {
        QLogger::logError(LogModule, "no section in config for this board :" + name);
    } else {
        trace("Converter installed with In_Min :" + QString::number(values.inMin));
        trace("Converter installed with In_Max :" + QString::number(values.inMax));
        if (values.lo > 0) {
            frame.messageBox.setWindowTitle("Tarnx");
            frame.messageBox.setText(QObject::tr("Activer OL de ") + QString::number(values.lo / 1e6, 'f', 1) +
                                     QObject::tr(" MHz et transposer frequence ?"));
            frame.messageBox.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            frame.messageBox.setDefaultButton(QMessageBox::Yes);
            if (frame.messageBox.exec() == QMessageBox::Yes) {
                // Lives as long as the process: the receiver keeps pointing at it.
                static std::vector<std::unique_ptr<FrequencyConverter>> converters;
                converters.push_back(std::make_unique<FrequencyConverter>());
                FrequencyConverter* converter = converters.back().get();
                converter->set(values.lo, values.inMin, values.inMax);
                receiver->frequencyConverter = converter;
                receiver->converters.append(converter);
                trace("Converter installed with LO :" + QString::number(values.lo));
            }
        }
    }
    receiver->setIQCorrectionFactors(float(values.gainI), float(values.gainQ), float(values.gainC));
    receiver->setppmError(double(float(values.ppmError)));
}

QList<dbRadioSegment*> loadBandPlan(ReceiverHardware* receiver, QObject* owner)
{
    const ReceiverRange range = ReceiverRange::of(receiver);
    Bookmarks::instance();
    QList<dbRadioSegment*> segments;
    if (receiver->getType() == ReceiverHardware::Orvex_Remote) {
        trace("Loading band plan definition from remote server");
        segments = remoteSegments(receiver, range, owner);
    } else {
        trace("Loading band plan definition from database");
        segments = databaseSegments(range, owner);
    }
    addBandEdges(segments);
    return segments;
}

} // namespace SecondPhase

int runSecondPhase(StartupFrame& frame)
{
    trace("Looking for local hardware");
    auto* provider = new RadioHardwareProvider();
    splashMessage(frame, QT_TRANSLATE_NOOP("QObject", "Analyse des SDR locaux disponibles"));
    provider->scanDirectory(".");
    trace("Looking for remote hardware");
    splashMessage(frame, QT_TRANSLATE_NOOP("QObject", "Recherche des SDR distants"));
    provider->loadRemoteServers();

    ReceiverHardware* receiver = nullptr;
    {
        HardwareSelectionWindow selection(provider->receivers());
        selection.exec();
        receiver = selection.getSelected();
    }
    if (receiver == nullptr) {
        releaseAll(provider);
        return 0;
    }
    if (receiver->getType() == ReceiverHardware::SoundCard)
        SecondPhase::chooseSoundInput(receiver);

    trace("Loading board def from conf file");
    provider->setSelected(receiver);
    provider->clearExceptSelected();
    if (receiver->getType() != ReceiverHardware::Orvex_Remote)
        SecondPhase::loadBoardFile(frame, receiver);
    if (ContainerPlugin* panel = ContainerPlugin::create(receiver))
        PluginManager::instance()->registerPlugin(panel);

    trace("Creating controller object");
    // Released after the window, which stops its threads and releases the receiver.
    auto engine = std::make_unique<Controller>();
    engine->setReceiverHardware(receiver);
    trace("Loading plugin manager");
    PluginManager::instance()->setController(engine.get());

    QObject bandPlanRows;
    FrontPanel window;
    window.setHardwareProvider(provider);
    const QList<dbRadioSegment*> bandPlan = SecondPhase::loadBandPlan(receiver, &bandPlanRows);
    trace("setting band plan definition");
    window.setBandPlan(bandPlan);
    window.setController(engine.get());
    trace("Ok, started");
    window.show();
    if (frame.splash)
        frame.splash->finish(&window);
    const int code = QApplication::exec();
    // The quit released the scripts: one left inside a call to the engine
    // keeps it, never freed under that script.
    if (ScriptCore::engineInUse()) {
        QLogger::logError(LogModule, QStringLiteral("A script is still in the engine: the engine is kept"));
        (void)engine.release();
    } else if (!engine->shutdown()) {
        // Its own threads, held in the receiver's driver, use it too.
        QLogger::logError(LogModule, QStringLiteral("The engine's threads still run: the engine is kept"));
        (void)engine.release();
    }
    return code;
}

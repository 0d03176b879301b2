#include "RemoteSpectrumView.h"

#include "engine/Controller.h"
#include "hardware/RemoteReceiverHardware.h"
#include "hardware/RemoteSpectrumDownloader.h"
#include "lists/Bookmarks.h"
#include "srvlib/SrvSource.h"
#include "srvlib/WireText.h"
#include "ui/plotter/CPlotter.h"

#include <QComboBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The reader notices a stop within about a second, even while the stream idles.
constexpr int kStopTimeoutMs = 5000;
} // namespace

RemoteSpectrumView::RemoteSpectrumView(QWidget* parent)
    : QWidget(parent), display(new CPlotter), startButton(new QPushButton(QStringLiteral(">"))),
      stopButton(new QPushButton(QStringLiteral("!")))
{
    display->setCenterFreq(1000000);
    display->setDemodFreq(1000000);
    display->setSpan(16000);
    display->setCutsUnchecked(0, 2800);
    display->setMinDb(-140);
    display->setMaxDb(-60);
    display->setFftFill(true);

    auto* bar = new QWidget;
    bar->setMinimumHeight(40);
    bar->setMaximumHeight(40);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, QColor(48, 48, 32));
    bar->setPalette(palette);
    bar->setAutoFillBackground(true);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setAlignment(Qt::AlignLeft);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->addWidget(startButton);
    barLayout->addWidget(stopButton);
    stopButton->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addWidget(display);

    connect(startButton, &QPushButton::pressed, this, &RemoteSpectrumView::SLOT_startSource);
    connect(stopButton, &QPushButton::pressed, this, &RemoteSpectrumView::SLOT_stopSource);
}

RemoteSpectrumView::~RemoteSpectrumView()
{
    retireDownloader();
}

void RemoteSpectrumView::setController(Controller* engine)
{
    if (this->engine != nullptr) {
        disconnect(this->engine, nullptr, this, nullptr);
        disconnect(this, nullptr, this->engine, nullptr);
    }
    this->engine = engine;
    ReceiverHardware* receiver = engine != nullptr ? engine->getReceiverHardware() : nullptr;
    if (receiver == nullptr || receiver->getType() != ReceiverHardware::Orvex_Remote)
        return;
    auto* remote = dynamic_cast<RemoteReceiverHardware*>(receiver);
    if (remote == nullptr)
        return;
    connect(engine, &Controller::MSG_ChannelizerIsRetuned, this,
            &RemoteSpectrumView::SLOT_ChannelizerIsRetuned, Qt::QueuedConnection);
    connect(engine, &Controller::MSG_VantorSpot, this, &RemoteSpectrumView::SLOT_VantorSpot,
            Qt::QueuedConnection);
    // The server moved the wide-band source: the channels stay where they are.
    connect(this, &RemoteSpectrumView::remoteCentreMoved, engine, &Controller::SLOT_RemoteWasRetuned);

    // The receiver's stream is cut from a channel of the wide-band source shown here.
    SrvSource* channelSource = remote->source();
    if (channelSource != nullptr && channelSource->inputSource() != nullptr)
        setSource(channelSource->inputSource(), channelSource->sampleRate());
}

void RemoteSpectrumView::setSource(SrvSource* source, int channelRate)
{
    this->source = source;
    if (source == nullptr)
        return;
    const int sr = source->sampleRate();
    // The plotter keeps its span for rates it cannot show, and says which it kept.
    display->setSpan(sr);
    display->setCenterFreq(source->center());
    if (sr > 0)
        display->setSampleRate(sr);
    display->setDemodFreq(source->center());
    display->setFilterCuts(-(channelRate / 2), channelRate / 2);
}

void RemoteSpectrumView::setSourceList(QComboBox* list)
{
    if (sourceList != nullptr)
        disconnect(sourceList, nullptr, this, nullptr);
    sourceList = list;
    if (list != nullptr)
        connect(list, QOverload<int>::of(&QComboBox::activated), this,
                &RemoteSpectrumView::SLOT_selectSource);
}

void RemoteSpectrumView::SLOT_selectSource(int index)
{
    if (sourceList == nullptr)
        return;
    auto* chosen = sourceList->itemData(index).value<SrvSource*>();
    // A chosen source is shown with a 20 kHz passband around its centre.
    if (chosen != nullptr)
        setSource(chosen, 20000);
}

void RemoteSpectrumView::SLOT_startSource()
{
    if (source == nullptr)
        return;
    startButton->setEnabled(false);
    retireDownloader();
    downloader = makeDownloader(source);
    connect(downloader, &RemoteSpectrumDownloader::SIG_newSpectrum, this,
            &RemoteSpectrumView::SLOT_newSpectrum, Qt::QueuedConnection);
    // Each stop report is tied to its own stream: the report of a stream
    // stopped just before this start may still be queued, and must not end the
    // new stream, whose thread may not even have begun.
    const quint64 stream = ++streamsStarted;
    connect(
        downloader, &RemoteSpectrumDownloader::SIG_stopped, this,
        [this, stream] {
            if (stream == streamsStarted)
                SLOT_stopped();
        },
        Qt::QueuedConnection);
    connect(downloader, &RemoteSpectrumDownloader::SIG_newFrequency, this,
            &RemoteSpectrumView::remoteCenterFreqChanged, Qt::QueuedConnection);
    downloader->start(QThread::InheritPriority);
    stopButton->setEnabled(true);
}

RemoteSpectrumDownloader* RemoteSpectrumView::makeDownloader(SrvSource* source)
{
    return new RemoteSpectrumDownloader(source);
}

void RemoteSpectrumView::SLOT_stopSource()
{
    // The downloader answers with SIG_stopped once its reader has ended.
    if (downloader != nullptr)
        downloader->stopRefresh();
    stopButton->setEnabled(false);
}

void RemoteSpectrumView::SLOT_stopped()
{
    // The running downloader's report: while it is not done yet, nothing changes.
    if (downloader == nullptr || !downloader->isDone())
        return;
    retireDownloader();
    startButton->setEnabled(true);
    stopButton->setEnabled(false);
}

void RemoteSpectrumView::retireDownloader()
{
    if (downloader == nullptr)
        return;
    disconnect(downloader, nullptr, this, nullptr);
    downloader->stopRefresh();
    if (downloader->wait(kStopTimeoutMs))
        delete downloader;
    else // left to end on its own: freeing it under its running thread would be worse
        qWarning() << "RemoteSpectrumView: the spectrum stream does not stop, left running";
    downloader = nullptr;
}

void RemoteSpectrumView::SLOT_newSpectrum(const QVector<double>& f)
{
    display->setNewSpectrum(f.constData(), f.size());
}

void RemoteSpectrumView::remoteCenterFreqChanged(qlonglong f)
{
    display->setCenterFreq(f);
    display->setDemodFreq(f);
    emit remoteCentreMoved(f, 0);
}

void RemoteSpectrumView::SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel)
{
    Q_UNUSED(newFrequency)
    if (channel != 0)
        return;
    const bool blocked = display->blockSignals(true);
    display->setCenterFreq(hwRXCenter);
    display->setDemodFreq(hwRXCenter);
    display->moveToCenterFreq();
    display->blockSignals(blocked);
}

void RemoteSpectrumView::SLOT_VantorSpot(QString name, double latitude, double longitude, double freqMHZ,
                                         int lifetime)
{
    Q_UNUSED(latitude)
    Q_UNUSED(longitude)
    Q_UNUSED(lifetime)
    // A spot keeps its first frequency for the rest of the run.
    if (!spotTable.contains(name)) {
        BookmarkEntry entry;
        entry.frequency = mhzToHz(freqMHZ);
        entry.name = name;
        entry.modulation = QStringLiteral("AM");
        entry.bandwidth = 10;
        entry.labelColor = QColor(QStringLiteral("lime"));
        spotTable.insert(name, entry);
        Bookmarks::instance()->addBookmark(entry);
    }
    display->refreshBookmarks(true, false);
}

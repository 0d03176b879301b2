#pragma once

#include "lists/BookmarkEntry.h"
#include "srvlib/SrvSource.h"

#include <QHash>
#include <QMetaType>
#include <QPointer>
#include <QString>
#include <QVector>
#include <QWidget>

class Controller;
class CPlotter;
class QComboBox;
class QPushButton;
class RemoteSpectrumDownloader;
Q_DECLARE_METATYPE(SrvSource*)

// The wide-band spectrum of the remote server's source (the one the remote
// receiver's stream is cut from), streamed on its own thread into a spectrum
// display, with the frequencies other users spot. ">" starts the stream and
// "!" stops it. Useful only for a remote receiver.
class RemoteSpectrumView : public QWidget
{
    Q_OBJECT

public:
    explicit RemoteSpectrumView(QWidget* parent = nullptr);
    // Stops the stream and joins its threads (bounded) before the view goes.
    ~RemoteSpectrumView() override;

    // For a remote receiver: follows the engine's retunes and spots, tells it
    // when the server moves the source's centre, and shows the source the
    // receiver's stream is cut from.
    void setController(Controller* engine);
    // Shows the spectrum of source, with the passband of a channel of
    // channelRate hertz around its centre.
    void setSource(SrvSource* source, int channelRate);
    // A list of the server's sources, each entry holding its SrvSource* as item
    // data: choosing an entry shows that source (SLOT_selectSource). The list
    // stays its owner's; null detaches it.
    void setSourceList(QComboBox* list);

    CPlotter* plotter() const { return display; }
    const QHash<QString, BookmarkEntry>& spots() const { return spotTable; }

signals:
    // The server moved the source's centre; a rate of 0 means "rate unknown",
    // so the engine keeps its channels' offsets.
    void remoteCentreMoved(qlonglong f, int sampleRate);

public slots:
    void SLOT_newSpectrum(const QVector<double>& f);
    void SLOT_stopped();
    void SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel);

protected:
    // A downloader for the next start; the view starts it and owns it.
    virtual RemoteSpectrumDownloader* makeDownloader(SrvSource* source);

private slots:
    void SLOT_startSource();
    void SLOT_stopSource();
    void remoteCenterFreqChanged(qlonglong f);
    void SLOT_VantorSpot(QString name, double latitude, double longitude, double freqMHZ, int lifetime);
    void SLOT_selectSource(int index);

private:
    // Stops a running downloader, joins it and deletes it; one that does not
    // stop in time is logged and left to end on its own.
    void retireDownloader();

    CPlotter* display;
    Controller* engine = nullptr;
    SrvSource* source = nullptr;
    RemoteSpectrumDownloader* downloader = nullptr;
    // Streams started so far; the last one is the downloader's.
    quint64 streamsStarted = 0;
    QPushButton* startButton;
    QPushButton* stopButton;
    QPointer<QComboBox> sourceList;
    QHash<QString, BookmarkEntry> spotTable;
};

#include "RemoteSpectrumDownloader.h"

#include "srvlib/SrvSpectrumReader.h"

#include <QDebug>
#include <cstdlib>

namespace {

int spectrumCallBackStub(int count, float* values, remote_rf_context*, void* user)
{
    auto* downloader = static_cast<RemoteSpectrumDownloader*>(user);
    if (downloader == nullptr || !downloader->queueLine(values, count)) {
        // A refused line is still ours to free.
        std::free(values);
        return downloader == nullptr ? 0 : 1;
    }
    return 1;
}

int spectrumContextCallBackStub(remote_rf_context* context, void* user)
{
    if (context == nullptr)
        return 0;
    if (user != nullptr)
        static_cast<RemoteSpectrumDownloader*>(user)->remoteCenterFreqChanged(context);
    return 1;
}

} // namespace

RemoteSpectrumDownloader::RemoteSpectrumDownloader(SrvSource* source) : source(source)
{
    // The lines cross to the GUI thread by queued connections.
    qRegisterMetaType<QVector<double>>("QVector<double>");
}

RemoteSpectrumDownloader::~RemoteSpectrumDownloader()
{
    stopRefresh();
    wait();
}

bool RemoteSpectrumDownloader::queueLine(float* values, int count)
{
    return lines.enqueue(values, count, 0, nullptr) > 0;
}

void RemoteSpectrumDownloader::run()
{
    if (source == nullptr)
        return;
    // The stop flag is not cleared: a stop asked before the thread got here holds.
    done.store(false);
    reader = std::make_unique<SrvSpectrumReader>(source);
    reader->start(spectrumCallBackStub, this, spectrumContextCallBackStub, this);

    while (!stopRequested.load()) {
        int count = 0;
        auto* values = static_cast<float*>(lines.dequeue(&count, 0, nullptr, true));
        if (values == nullptr)
            continue;
        if (count > 0) {
            QVector<double> line(count);
            for (int i = 0; i < count; ++i)
                line[i] = values[i];
            emit SIG_newSpectrum(line);
        }
        std::free(values);
    }

    // Nothing may call back into this object once it reports being done.
    reader->requestStop();
    reader.reset();
    lines.flush();
    done.store(true);
    emit SIG_stopped();
}

void RemoteSpectrumDownloader::remoteCenterFreqChanged(const remote_rf_context* f)
{
    if (!hasContext) {
        hasContext = true;
        lastContext = *f;
        emit SIG_newFrequency(f->rx_center);
        return;
    }
    if (f->marker == lastContext.marker)
        return;
    if (f->rx_center != lastContext.rx_center) {
        qDebug() << "RemoteSpectrumDownloader emit SIG_newFrequency( f->rx_center );" << f->rx_center;
        emit SIG_newFrequency(f->rx_center);
    }
    lastContext = *f;
}

#include "decoders/measure/Mesurement.h"

#include "core/QLogger.h"
#include "decoders/measure/MesurementFileWriter.h"
#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/plugins/PluginManager.h"

#include <QDebug>
#include <cstdlib>
#include <cstring>

const QString Mesurement::Name = QStringLiteral("MES");

namespace {

void invokeMeasurePlugin(const QByteArray& slot, const QVariantList& args)
{
    PluginManager::instance()->invokePluginMethod("mesure", slot, args, Qt::AutoConnection);
}

} // namespace

Mesurement::Mesurement()
{
    QLogger::logTrace(LogModule, "Mesurement::Mesurement()");
    minLow = 0;
    maxLow = 0;
    minHigh = 500;
    maxHigh = 80000;
    defaultLow = -15000;
    defaultHigh = 15000;
    mirrored = true;
    lowEdge = -50000.0f;
    highEdge = 50000.0f;
    QLogger::logTrace(LogModule, "Mesurement::Mesurement() new SDRFileWriter()");
    writer = std::make_unique<MesurementFileWriter>();
    QLogger::logTrace(LogModule, "Mesurement::Mesurement() done");
}

Mesurement::~Mesurement() = default;

float Mesurement::demodulate(Complex* samples, int count, SampleContext* ctx)
{
    SampleFifo* queue = writer->inputFifo();
    if (!writer->isRecording() || !queue || !samples || count <= 0)
        return 0.0f;

    // The common routine has just stored the channel output rate (the rate of
    // these samples) in the context; the file keeps twice that value.
    auto* context = static_cast<SampleContext*>(std::calloc(1, sizeof(SampleContext)));
    auto* copy = static_cast<Complex*>(std::malloc(sizeof(Complex) * count));
    if (context && copy) {
        if (ctx)
            std::memcpy(context, ctx, sizeof(SampleContext));
        context->ddc_outrate = 2.0f * (ctx ? ctx->ddc_outrate : 0.0f);
        std::memcpy(copy, samples, sizeof(Complex) * count);
        if (queue->enqueue(copy, count, 0, context) > 0)
            return 0.0f;
    }
    // Refused (recorder too slow) or out of memory: the block is lost, not leaked.
    std::free(copy);
    std::free(context);
    return 0.0f;
}

void Mesurement::setFilterEdges(float* low, float* high)
{
    Demodulator::setFilterEdges(low, high);
    invokeMeasurePlugin("setCurrentBand", {QVariant::fromValue(getHighEdge())});
}

void Mesurement::install()
{
    invokeMeasurePlugin("setCurrentBand", {QVariant::fromValue(getHighEdge())});
}

void Mesurement::uninstall()
{
    invokeMeasurePlugin("hidePanel", {});
    if (writer->isRecording() && !writer->isStopRequested()) {
        qDebug() << "MesurementFileWriter::stopWriting";
        writer->requestStop();
    }
}

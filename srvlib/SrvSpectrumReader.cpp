#include "SrvSpectrumReader.h"

#include "SrvHttpClient.h"
#include "SrvSource.h"
#include "StreamFrameParser.h"
#include "StreamTransfer.h"
#include "WireText.h"

SrvSpectrumReader::SrvSpectrumReader(SrvSource* source)
    : m_source(source), m_client(source->client()), m_uid(source->uid())
{
}

SrvSpectrumReader::~SrvSpectrumReader()
{
    joinThread();
}

void SrvSpectrumReader::start(SrvSpectrumCallback spectrum, void* spectrumUser, SrvContextCallback context,
                              void* contextUser)
{
    joinThread();
    StreamHandlers handlers;
    handlers.spectrum = spectrum;
    handlers.spectrumUser = spectrumUser;
    handlers.context = context;
    handlers.contextUser = contextUser;
    handlers.stopRequested = &SrvSpectrumReader::stopRequested;
    handlers.stopUser = this;
    m_parser = std::make_unique<StreamFrameParser>(StreamKind::Spectrum, handlers);
    m_stopRequest.store(false);
    m_running.store(true);
    try {
        m_thread = std::thread(&SrvSpectrumReader::run, this);
    } catch (const std::system_error&) {
        m_running.store(false);
    }
}

void SrvSpectrumReader::joinThread()
{
    if (!m_thread.joinable())
        return;
    m_stopRequest.store(true);
    m_thread.join();
}

bool SrvSpectrumReader::stopRequested(void* self)
{
    return static_cast<SrvSpectrumReader*>(self)->m_stopRequest.load();
}

void SrvSpectrumReader::run()
{
    nameCurrentThread("spectrum_thread");
    if (m_client != nullptr)
        runStreamTransfer(*m_client, "sources/" + encodePathText(m_uid) + "/spectrum",
                          m_client->hasServerKey(), *m_parser,
                          StreamStopCheck{&SrvSpectrumReader::stopRequested, this}, "spectrum_thread");
    m_parser.reset();
    m_running.store(false);
}

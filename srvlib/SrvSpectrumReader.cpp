#include "SrvSpectrumReader.h"

#include "SrvHttpClient.h"
#include "SrvSource.h"
#include "WireText.h"

SrvSpectrumReader::SrvSpectrumReader(SrvSource* source)
    : m_source(source), m_client(source->client()), m_uid(source->uid())
{
}

SrvSpectrumReader::~SrvSpectrumReader()
{
    m_thread.stopAndJoin();
}

void SrvSpectrumReader::start(SrvSpectrumCallback spectrum, void* spectrumUser, SrvContextCallback context,
                              void* contextUser)
{
    StreamHandlers handlers;
    handlers.spectrum = spectrum;
    handlers.spectrumUser = spectrumUser;
    handlers.context = context;
    handlers.contextUser = contextUser;
    StreamThread::Transfer transfer{m_client, "sources/" + encodePathText(m_uid) + "/spectrum",
                                    m_client != nullptr && m_client->hasServerKey(), StreamKind::Spectrum};
    m_thread.stopAndJoin();
    m_running.store(true);
    if (!m_thread.start(transfer, handlers, nullptr, [this] { m_running.store(false); }))
        m_running.store(false);
}

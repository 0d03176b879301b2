#include "GlobalRFData.h"

#include <QMutexLocker>
#include <cstdlib>
#include <cstring>

GlobalRFData::~GlobalRFData()
{
    std::free(m_spectrum);
}

void GlobalRFData::setSpectrum(int length, const double* values, int sampleRate)
{
    if (length <= 0 || !values)
        return;
    QMutexLocker locker(&m_spectrumLock);
    if (length != m_spectrumLength) {
        auto* resized = static_cast<double*>(std::malloc(sizeof(double) * static_cast<size_t>(length)));
        if (!resized)
            return;
        std::free(m_spectrum);
        m_spectrum = resized;
        m_spectrumLength = length;
    }
    std::memcpy(m_spectrum, values, sizeof(double) * static_cast<size_t>(length));
    m_spectrumSampleRate = sampleRate;
}

void GlobalRFData::getSpectrum(int* length, double** values, int* sampleRate)
{
    QMutexLocker locker(&m_spectrumLock);
    double* copy = nullptr;
    if (m_spectrum)
        copy = static_cast<double*>(std::malloc(sizeof(double) * static_cast<size_t>(m_spectrumLength)));
    if (!copy) {
        *length = 0;
        *sampleRate = 0;
        return;
    }
    std::memcpy(copy, m_spectrum, sizeof(double) * static_cast<size_t>(m_spectrumLength));
    *values = copy;
    *length = m_spectrumLength;
    *sampleRate = m_spectrumSampleRate;
}

QString GlobalRFData::timeText() const
{
    const auto two = [](int v) { return v <= 9 ? QStringLiteral("0%1").arg(v) : QString::number(v); };
    return QStringLiteral("%1/%2/%3 %4:%5:%6.%7")
        .arg(two(day), two(month), two(year), two(hour), two(minute), two(second))
        .arg(msec.load(), 3, 10, QLatin1Char('0'));
}

#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <atomic>

// The latest full-band spectrum line, handed over by the RX A panel, and the
// latest GPS position and time, written by the GPS reader and read by the
// engine thread.
class GlobalRFData : public QObject
{
    Q_OBJECT
public:
    // The process-wide object, created on first use.
    static GlobalRFData* instance()
    {
        static GlobalRFData data;
        return &data;
    }

    GlobalRFData() = default;
    ~GlobalRFData() override;

    // Keeps a copy of length values (dB) taken at sampleRate. A length of 0 or
    // less, or no values, is ignored.
    void setSpectrum(int length, const double* values, int sampleRate);

    // Hands out a copy of the latest spectrum, allocated with malloc: the caller
    // releases it with free. Before any spectrum, *length and *sampleRate are 0
    // and *values is left as it was.
    void getSpectrum(int* length, double** values, int* sampleRate);

    // The GPS date and time as "d/m/y h:m:s.ms", each field in decimal with a
    // leading 0 when below 10, the milliseconds always with three digits.
    QString timeText() const;

    // Each field is read and written whole; a reader may combine two fixes.
    std::atomic<float> latitude{0};
    std::atomic<float> longitude{0};
    std::atomic<float> altitude{0};
    std::atomic<int> hour{0};
    std::atomic<int> minute{0};
    std::atomic<int> second{0};
    std::atomic<int> msec{0};
    std::atomic<int> day{0};
    std::atomic<int> month{0};
    std::atomic<int> year{0};

private:
    QMutex m_spectrumLock;
    int m_spectrumLength = 0;
    int m_spectrumSampleRate = 0;
    double* m_spectrum = nullptr;
};

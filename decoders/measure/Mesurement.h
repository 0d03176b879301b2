#pragma once

#include "engine/demod/Demodulator.h"

#include <atomic>
#include <memory>

class MesurementFileWriter;

// The measurement mode "MES": demodulates nothing. While its recorder runs it
// hands a copy of every channel block, with a copy of the block's context, to
// the recorder. Its pass band is symmetric (the high edge between 500 and
// 80000 Hz), and it drives the "mesure" plug-in by name.
class Mesurement : public Demodulator
{
public:
    static const QString Name; // "MES"

    Mesurement();
    ~Mesurement() override;

    QString getName() override { return Name; }
    // Copies the block for the recorder while it records; returns 0 and leaves
    // the samples as they are, so they are heard like any other mode's output.
    float demodulate(Complex* samples, int count, SampleContext* ctx) override;
    void setFilterEdges(float* low, float* high) override;
    void install() override;
    // Hides the plug-in and stops a running recording.
    void uninstall() override;

    void setIQMode(int on) { iqMode = on != 0; }
    bool getIQMode() const { return iqMode.load(); }
    MesurementFileWriter* getWriter() const { return writer.get(); }

private:
    std::atomic<bool> iqMode{false};
    std::unique_ptr<MesurementFileWriter> writer;
};

#pragma once

#include "engine/dsp/Complex.h"
#include "engine/dsp/PhasorOscillator.h"

#include <memory>
#include <mutex>
#include <vector>

// Moves a channel to zero frequency with an oscillator and lowers its rate by a planned
// cascade of decimate-by-2 stages: cheap filters while the rate is far above the
// bandwidth, steeper half-band filters as it comes closer.
class CDownConvert
{
public:
    // One decimate-by-2 stage. DecBy2 may work in place (in == out); it returns the
    // number of outputs, or -1 when it refuses the block.
    class CDec2
    {
    public:
        virtual ~CDec2() = default;
        virtual int DecBy2(int count, Complex* in, Complex* out) = 0;
        // Length of the stage's filter (4 for the comb).
        virtual int Taps() const = 0;
        // Whether DecBy2 takes a block of count samples, and how many it would give.
        virtual bool Accepts(int count) const = 0;
        virtual int OutputCount(int count) const = 0;
        // A stage that filters its input split into even and odd samples may take the
        // next pairs straight in those arrays: SplitInput gives where they go (false when
        // it cannot take them so now), FilterSplit then filters them into out.
        virtual bool SplitInput(int pairs, Complex** even, Complex** odd)
        {
            (void)pairs, (void)even, (void)odd;
            return false;
        }
        virtual int FilterSplit(int pairs, Complex* out)
        {
            (void)pairs, (void)out;
            return 0;
        }
    };
    class CCicN3DecimateBy2;
    class CHalfBand11TapDecimateBy2;
    class CHalfBandDecimateBy2;

    static constexpr int kMaxStages = 10;
    // The largest block an N-tap half-band stage accepts.
    static constexpr int kHalfBandMaxInput = 32768;

    CDownConvert();
    virtual ~CDownConvert();
    CDownConvert(const CDownConvert&) = delete;
    CDownConvert& operator=(const CDownConvert&) = delete;

    // The oscillator shifts the spectrum up by hz; its state runs on. Any thread, also
    // while another plans or processes.
    void SetNcoFrequency(float hz);
    // General plan (comb, 11-tap and N-tap half-band stages); returns the output rate.
    int PlanDecimation(float inputRate, float bandwidth);
    // Plan of 51-tap half-band stages only, while the rate is above 200 kHz.
    float PlanHalfBandDecimation(float inputRate, float bandwidth);
    // Mixes count samples of in, decimates them and writes the result to out (which may
    // be in). Returns the number of outputs; -1 when a stage would get more than it
    // takes (the block is then refused whole). Works through the block in short runs
    // that stay in the processor's cache from the mixer to the last stage.
    int Process(int count, const Complex* in, Complex* out);
    void DeleteStages();
    // -1 when the cascade takes blocks of any length, otherwise the longest block.
    int GetMaxInputLength() const;

    // Filter lengths of the planned stages, in order (4 for a comb stage).
    std::vector<int> StagePlan() const;

private:
    enum class Planner { None, General, HalfBand };
    bool SamePlan(Planner planner, float inputRate, float bandwidth) const;
    void DeleteStagesLocked();
    // Takes the planned input rate and turns the oscillator at it; under lock.
    void SetInputRateLocked(float rate);

    static constexpr int kRunLength = 4096; // samples mixed and decimated at a time

    mutable std::mutex lock; // the plan and the stages
    // The oscillator's frequency and the rate it turns at change together under
    // tuneLock (taken after lock): a retune never meets half of a rate change.
    std::mutex tuneLock;
    PhasorOscillator oscillator;
    std::vector<Complex> run = std::vector<Complex>(kRunLength); // mixed, then decimated in place
    std::vector<std::unique_ptr<CDec2>> stages;
    Planner lastPlanner = Planner::None;
    int outputRate = 100000;
    float ncoFrequency = 0.0f;   // under tuneLock
    float inputRate = 100000.0f; // written under both locks, read under either
    float bandwidth = 10000.0f;
    int maxInputLength = -1;
};

#include "engine/dsp/CDownConvert.h"

#include "engine/dsp/DecimateBy2.h"

#include <algorithm>
#include <cstring>

namespace {
// A stage is chosen while the bandwidth is at most 0.5 - x of its input rate: the first
// row that fits gives the cheapest filter that still keeps the alias band out.
struct StageRow
{
    double x;
    int taps; // 4: comb, 11: the 11-tap half-band, others: N-tap half-band
};
const StageRow kStageRows[] = {{0.4985, 4}, {0.475, 11}, {0.451, 15}, {0.428, 19}, {0.409, 23}, {0.392, 27},
                               {0.378, 31}, {0.366, 35}, {0.356, 39}, {0.347, 43}, {0.34, 47}};
constexpr int kWidestTaps = 51;

std::unique_ptr<CDownConvert::CDec2> makeStage(int taps)
{
    if (taps == 4)
        return std::make_unique<CDownConvert::CCicN3DecimateBy2>();
    if (taps == 11)
        return std::make_unique<CDownConvert::CHalfBand11TapDecimateBy2>();
    return std::make_unique<CDownConvert::CHalfBandDecimateBy2>(taps);
}
} // namespace

CDownConvert::CDownConvert()
{
    oscillator.SetFrequency(ncoFrequency, inputRate);
}

CDownConvert::~CDownConvert() = default;

void CDownConvert::SetNcoFrequency(float hz)
{
    std::lock_guard<std::mutex> guard(tuneLock);
    ncoFrequency = hz;
    oscillator.SetFrequency(hz, inputRate);
}

void CDownConvert::SetInputRateLocked(float rate)
{
    std::lock_guard<std::mutex> guard(tuneLock);
    inputRate = rate;
    oscillator.SetFrequency(ncoFrequency, inputRate);
}

bool CDownConvert::SamePlan(Planner planner, float rate, float bw) const
{
    return lastPlanner == planner && rate == inputRate && bw == bandwidth;
}

int CDownConvert::PlanDecimation(float newInputRate, float newBandwidth)
{
    std::lock_guard<std::mutex> guard(lock);
    if (SamePlan(Planner::General, newInputRate, newBandwidth))
        return outputRate;
    lastPlanner = Planner::General;
    SetInputRateLocked(newInputRate);
    bandwidth = newBandwidth;
    DeleteStagesLocked();

    const double bw = bandwidth;
    int rate = static_cast<int>(inputRate);
    while (rate > bw / (0.5 - 0.333) && rate > 16384 && rate > bw && int(stages.size()) < kMaxStages) {
        int taps = kWidestTaps;
        for (const StageRow& row : kStageRows) {
            if (double(rate) >= bw / (0.5 - row.x)) {
                taps = row.taps;
                break;
            }
        }
        stages.push_back(makeStage(taps));
        rate = static_cast<int>(rate * 0.5);
    }
    if (!stages.empty() && stages.front()->Taps() > 11)
        maxInputLength = kHalfBandMaxInput;
    outputRate = rate;
    return outputRate;
}

float CDownConvert::PlanHalfBandDecimation(float newInputRate, float newBandwidth)
{
    std::lock_guard<std::mutex> guard(lock);
    if (SamePlan(Planner::HalfBand, newInputRate, newBandwidth))
        return float(outputRate);
    lastPlanner = Planner::HalfBand;
    SetInputRateLocked(newInputRate);
    bandwidth = newBandwidth;
    DeleteStagesLocked();
    maxInputLength = kHalfBandMaxInput;

    float rate = inputRate;
    while (rate > 200000 && 2 * bandwidth < rate && int(stages.size()) < kMaxStages) {
        stages.push_back(makeStage(kWidestTaps));
        rate *= 0.5f;
    }
    outputRate = static_cast<int>(rate);
    return float(outputRate);
}

int CDownConvert::Process(int count, const Complex* in, Complex* out)
{
    if (count <= 0)
        return 0;
    std::lock_guard<std::mutex> guard(lock);
    int reaching = count;
    for (const auto& stage : stages) {
        if (!stage->Accepts(reaching)) {
            reportOverlongBlock(reaching);
            return -1;
        }
        reaching = stage->OutputCount(reaching);
    }

    int written = 0;
    // Outputs never overtake the input still to be read, so out may be in.
    for (int pos = 0; pos < count; pos += kRunLength) {
        int n = std::min(kRunLength, count - pos);
        // The mixer writes its products straight into the first stage's even and odd
        // inputs when that stage takes them so (no odd sample of its own waiting).
        Complex* even = nullptr;
        Complex* odd = nullptr;
        size_t next = 0;
        if (!stages.empty() && n % 2 == 0 && stages.front()->SplitInput(n / 2, &even, &odd)) {
            oscillator.MixSplit(in + pos, even, odd, n / 2);
            n = stages.front()->FilterSplit(n / 2, run.data());
            next = 1;
        } else {
            oscillator.Mix(in + pos, run.data(), n);
        }
        for (; next < stages.size(); ++next)
            n = stages[next]->DecBy2(n, run.data(), run.data());
        std::memcpy(static_cast<void*>(out + written), run.data(), size_t(n) * sizeof(Complex));
        written += n;
    }
    return written;
}

void CDownConvert::DeleteStages()
{
    std::lock_guard<std::mutex> guard(lock);
    DeleteStagesLocked();
    lastPlanner = Planner::None; // the next plan builds its stages again
}

void CDownConvert::DeleteStagesLocked()
{
    while (!stages.empty())
        stages.pop_back();
    maxInputLength = -1;
}

int CDownConvert::GetMaxInputLength() const
{
    std::lock_guard<std::mutex> guard(lock);
    return maxInputLength;
}

std::vector<int> CDownConvert::StagePlan() const
{
    std::lock_guard<std::mutex> guard(lock);
    std::vector<int> plan;
    for (const auto& stage : stages)
        plan.push_back(stage->Taps());
    return plan;
}

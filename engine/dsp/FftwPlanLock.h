#pragma once

#include <mutex>

// FFTW's planner (fftwf_plan_*, fftwf_destroy_plan) is not thread-safe; only
// fftwf_execute is. Every FFTW user in the process holds this one lock while it makes
// or destroys a plan.
std::mutex& fftwPlannerMutex();

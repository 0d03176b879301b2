#pragma once

#include <map>
#include <string>

// What the benchmarks read about their own process from /proc: CPU time per thread
// (by thread name, as the threads name themselves) and resident memory.
namespace ProcessStats {

// CPU seconds of every live thread, summed by thread name.
std::map<std::string, double> threadCpuSeconds();
// Times every live thread went to sleep (voluntary context switches), by thread name.
std::map<std::string, double> threadSleeps();
// What each name gained from before to after (threads that ended in between are
// missing from after and count nothing).
std::map<std::string, double> gainedSince(const std::map<std::string, double>& before,
                                          const std::map<std::string, double>& after);
// CPU seconds of the whole process (all threads, also those that ended).
double processCpuSeconds();
// Resident set size and its peak, MB.
double residentMb();
double peakResidentMb();

} // namespace ProcessStats

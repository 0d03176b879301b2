#include "ProcessStats.h"

#include <dirent.h>

#include <ctime>
#include <fstream>
#include <sstream>

namespace {

// A thread's time on the CPU in nanoseconds (first field of schedstat).
double taskCpuSeconds(const std::string& task)
{
    std::ifstream in("/proc/self/task/" + task + "/schedstat");
    unsigned long long ns = 0;
    in >> ns;
    return double(ns) * 1e-9;
}

std::string taskName(const std::string& task)
{
    std::ifstream in("/proc/self/task/" + task + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

// A numeric field of a status file of /proc ("VmRSS", "voluntary_ctxt_switches").
double statusField(const std::string& file, const char* field)
{
    std::ifstream in(file);
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) == 0) {
            std::istringstream value(line.substr(key.size()));
            double kb = 0;
            value >> kb;
            return kb;
        }
    }
    return 0;
}

// A value of every live thread, summed by thread name.
template <typename Read> std::map<std::string, double> byThreadName(Read&& read)
{
    std::map<std::string, double> byName;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr)
        return byName;
    while (dirent* entry = readdir(tasks)) {
        const std::string task = entry->d_name;
        if (task == "." || task == "..")
            continue;
        byName[taskName(task)] += read(task);
    }
    closedir(tasks);
    return byName;
}

} // namespace

namespace ProcessStats {

std::map<std::string, double> threadCpuSeconds()
{
    return byThreadName(taskCpuSeconds);
}

std::map<std::string, double> threadSleeps()
{
    return byThreadName([](const std::string& task) {
        return statusField("/proc/self/task/" + task + "/status", "voluntary_ctxt_switches");
    });
}

std::map<std::string, double> gainedSince(const std::map<std::string, double>& before,
                                          const std::map<std::string, double>& after)
{
    std::map<std::string, double> gained;
    for (const auto& [name, seconds] : after) {
        const auto earlier = before.find(name);
        gained[name] = seconds - (earlier == before.end() ? 0.0 : earlier->second);
    }
    return gained;
}

double processCpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double residentMb()
{
    return statusField("/proc/self/status", "VmRSS") / 1024.0;
}

double peakResidentMb()
{
    return statusField("/proc/self/status", "VmHWM") / 1024.0;
}

} // namespace ProcessStats

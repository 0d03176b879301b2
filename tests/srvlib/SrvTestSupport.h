#pragma once

#include "tests/fixtures/fakeserver/FakeServer.h"

#include "WaitFor.h"

#include <chrono>
#include <clocale>
#include <dirent.h>
#include <fstream>
#include <string>

// Helpers shared by the server client tests.

// A name no other test of this process uses: sources and streams live in
// process-wide registries keyed by UID.
inline std::string uniqueName(const std::string& stem)
{
    static int counter = 0;
    return stem + std::to_string(++counter);
}

// A stop that works ends a stream within about a second (the transfer sees the
// stop at its next progress call); one that does not never ends. The bound only
// tells the two apart, so a loaded machine stays well within it.
constexpr int kStopBoundMs = 10000;

// Threads of this process with the given name (names are cut to 15 characters).
inline int threadsNamed(const std::string& name)
{
    int count = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr)
        return -1;
    while (dirent* entry = readdir(tasks)) {
        std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
        std::string threadName;
        if (comm && std::getline(comm, threadName) && threadName == name.substr(0, 15))
            ++count;
    }
    closedir(tasks);
    return count;
}

// Milliseconds taken by f.
template <class F> long long elapsedMs(F f)
{
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

// Switches the C locale to one that writes a decimal comma for the life of the
// object (the whole suite also runs under LC_ALL=fr_FR.UTF-8).
class CommaLocale
{
public:
    CommaLocale() : m_previous(std::setlocale(LC_ALL, nullptr))
    {
        m_active = std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;
    }
    ~CommaLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

#include "SrvRegistry.h"

#include "RemoteStream.h"
#include "SrvSource.h"

#include <cstdio>
#include <map>
#include <mutex>

namespace {

struct Registries
{
    std::mutex lock;
    std::map<std::string, SrvSource*> sources;
    std::map<std::string, RemoteStream*> streams;
};

// Never destroyed: the registered objects live as long as the process.
Registries& registries()
{
    static Registries* instance = new Registries();
    return *instance;
}

template <class T> std::vector<T*>* listOf(const std::map<std::string, T*>& map)
{
    auto* list = new std::vector<T*>();
    list->reserve(map.size());
    for (const auto& entry : map)
        list->push_back(entry.second);
    return list;
}

} // namespace

bool registerSource(SrvSource* source)
{
    Registries& r = registries();
    std::lock_guard<std::mutex> lock(r.lock);
    return r.sources.emplace(source->uid(), source).second;
}

bool registerStream(RemoteStream* stream)
{
    Registries& r = registries();
    std::lock_guard<std::mutex> lock(r.lock);
    if (!r.streams.emplace(stream->uid(), stream).second)
        return false;
    std::printf("new stream UID=[%s]\n", stream->uid().c_str());
    return true;
}

SrvSource* findSource(const std::string& uid)
{
    Registries& r = registries();
    std::lock_guard<std::mutex> lock(r.lock);
    auto it = r.sources.find(uid);
    return it != r.sources.end() ? it->second : nullptr;
}

RemoteStream* findStream(const std::string& uid)
{
    Registries& r = registries();
    std::lock_guard<std::mutex> lock(r.lock);
    auto it = r.streams.find(uid);
    return it != r.streams.end() ? it->second : nullptr;
}

bool hasSource(const std::string& uid)
{
    return findSource(uid) != nullptr;
}

std::vector<RemoteStream*>* listStreams()
{
    Registries& r = registries();
    std::lock_guard<std::mutex> lock(r.lock);
    return listOf(r.streams);
}

std::vector<SrvSource*>* listSources()
{
    Registries& r = registries();
    std::lock_guard<std::mutex> lock(r.lock);
    return listOf(r.sources);
}

size_t sourceCount()
{
    Registries& r = registries();
    std::lock_guard<std::mutex> lock(r.lock);
    return r.sources.size();
}

size_t streamCount()
{
    Registries& r = registries();
    std::lock_guard<std::mutex> lock(r.lock);
    return r.streams.size();
}

#include "SrvSource.h"

#include "SrvHttpClient.h"
#include "SrvJson.h"
#include "SrvRegistry.h"
#include "SrvServer.h"
#include "WireText.h"

#include <cstdlib>

namespace {

// Calls take(id, element) for each object of the array whose "id" names one of
// the count slots the first reply sized; other elements are passed over.
template <class Take> void forEachSlotObject(json_t* array, size_t count, Take take)
{
    size_t i;
    json_t* element;
    json_array_foreach(array, i, element)
    {
        if (!json_is_object(element))
            continue;
        const int id = jsonGetInt(element, "id");
        if (id >= 0 && size_t(id) < count)
            take(size_t(id), element);
    }
}

} // namespace

SrvSource::SrvSource(SrvServer* server, json_t* object)
    : m_server(server), m_client(server != nullptr ? server->client() : nullptr)
{
    parse(object);
}

bool SrvSource::parse(json_t* object)
{
    jsonGetString(object, "UID", m_uid);
    jsonGetString(object, "name", m_name);
    jsonGetString(object, "Ctype", m_ctype);
    jsonGetString(object, "input", m_input);
    json_t* ctype = json_object_get(object, "Ctype");
    if (json_is_string(ctype)) {
        std::string text = json_string_value(ctype);
        if (text == "Channelizer" || text == "ImportedRemoteStream")
            m_kind = 1;
        else if (text == "SignalSource")
            m_kind = 2;
    }
    m_center = jsonGetFrequency(object, "center");
    m_fmax = jsonGetFrequency(object, "fmax");
    m_fmin = jsonGetFrequency(object, "fmin");
    m_locked = jsonGetInt(object, "locked");
    m_sr = jsonGetInt(object, "sr");

    json_t* rates = json_object_get(object, "rates");
    if (json_is_array(rates)) {
        if (!m_ratesSized) {
            m_rates.assign(json_array_size(rates), 0);
            m_ratesSized = true;
        }
        forEachSlotObject(rates, m_rates.size(),
                          [&](size_t id, json_t* element) { m_rates[id] = jsonGetInt(element, "value"); });
    }

    json_t* stages = json_object_get(object, "stages");
    if (json_is_array(stages)) {
        if (!m_stagesSized) {
            m_stages.assign(json_array_size(stages), SrvGainStage());
            m_stagesSized = true;
        }
        forEachSlotObject(stages, m_stages.size(), [&](size_t id, json_t* element) {
            SrvGainStage& s = m_stages[id];
            s.id = int(id);
            s.min = jsonGetDouble(element, "min");
            s.max = jsonGetDouble(element, "max");
            s.value = jsonGetDouble(element, "value");
            jsonGetString(element, "unit_name", s.unitName);
            jsonGetString(element, "name", s.name);
        });
    }
    return true;
}

std::string SrvSource::key(bool withHost) const
{
    if (withHost && m_client != nullptr)
        return m_uid + "@" + m_client->name();
    return m_uid;
}

SrvSource* SrvSource::inputSource() const
{
    return findSource(m_input);
}

const SrvGainStage* SrvSource::stage(int n) const
{
    if (m_stages.empty() || n < 0)
        return nullptr;
    return &m_stages[size_t(n) % m_stages.size()];
}

std::string SrvSource::getGainStageName(int n) const
{
    const SrvGainStage* s = stage(n);
    return s != nullptr ? s->name : std::string();
}

std::string SrvSource::getGainStageUnitName(int n) const
{
    const SrvGainStage* s = stage(n);
    return s != nullptr ? s->unitName : std::string();
}

double SrvSource::getGainValue(int n) const
{
    const SrvGainStage* s = stage(n);
    return s != nullptr ? s->value : 0.0;
}

double SrvSource::getMinGainValue(int n) const
{
    const SrvGainStage* s = stage(n);
    return s != nullptr ? s->min : 0.0;
}

double SrvSource::getMaxGainValue(int n) const
{
    const SrvGainStage* s = stage(n);
    return s != nullptr ? s->max : 0.0;
}

bool SrvSource::setGain(float value, int n)
{
    const SrvGainStage* s = stage(n);
    if (s == nullptr || m_client == nullptr)
        return false;
    if (float(s->min) > value)
        value = float(s->min);
    if (value > float(s->max))
        value = float(s->max);
    std::string path =
        "sources/" + encodePathText(m_uid) + "/gain/" + std::to_string(n) + "/" + formatFixed(value, 1);
    char* reply = m_client->request(path.c_str());
    if (reply == nullptr)
        return false;
    json_t* json = json_loads(reply, 0, nullptr);
    std::free(reply);
    if (json == nullptr)
        return false;
    bool parsed = parse(json);
    json_decref(json);
    return parsed;
}

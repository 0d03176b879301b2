#pragma once

#include <cstdint>
#include <jansson.h>
#include <string>
#include <vector>

class SrvServer;
class SrvHttpClient;

// One gain stage of a source, in the stage's own unit.
struct SrvGainStage
{
    int id = 0;
    std::string name;
    std::string unitName;
    double min = 0.0;
    double max = 0.0;
    double value = 0.0;
};

// A signal source offered by a server: a wide-band "SignalSource" or a
// "Channelizer" / "ImportedRemoteStream" cut from another source ("input").
class SrvSource
{
public:
    SrvSource(SrvServer* server, json_t* object);

    // Fills the fields from a source object; the rate and stage tables are sized
    // by the first parse and keep that size. Always true.
    bool parse(json_t* object);

    std::string key(bool withHost) const;
    const std::string& uid() const { return m_uid; }
    std::string name() const { return m_name; }
    const std::string& ctype() const { return m_ctype; }
    const std::string& input() const { return m_input; }
    // 1 for "Channelizer" and "ImportedRemoteStream", 2 for "SignalSource", 0 before.
    int kind() const { return m_kind; }
    int64_t center() const { return m_center; }
    int64_t fmax() const { return m_fmax; }
    int64_t fmin() const { return m_fmin; }
    int locked() const { return m_locked; }
    int sampleRate() const { return m_sr; }
    const std::vector<int>& rates() const { return m_rates; }
    SrvServer* server() const { return m_server; }
    SrvHttpClient* client() const { return m_client; }

    // The registered source this one is cut from, or null.
    SrvSource* inputSource() const;
    // A listed source can always be asked for: the server reports no state
    // that would make it unusable.
    bool isAvailable() const { return true; }

    // Stage n is taken modulo the stage count; without stages, or for a
    // negative n, the getters give "" and 0 and setGain sends nothing.
    int getGainStageCount() const { return int(m_stages.size()); }
    std::string getGainStageName(int n) const;
    std::string getGainStageUnitName(int n) const;
    double getGainValue(int n) const;
    double getMinGainValue(int n) const;
    double getMaxGainValue(int n) const;
    // Clamps value to the stage's range and asks the server; the reply is the
    // updated source. False when nothing was sent or the reply is not JSON.
    bool setGain(float value, int n);

private:
    const SrvGainStage* stage(int n) const;

    SrvServer* m_server;
    SrvHttpClient* m_client;
    int m_kind = 0;
    std::string m_uid, m_name, m_ctype, m_input;
    int64_t m_center = 0, m_fmax = 0, m_fmin = 0;
    int m_locked = 0;
    int m_sr = 0;
    std::vector<int> m_rates;
    bool m_ratesSized = false;
    std::vector<SrvGainStage> m_stages;
    bool m_stagesSized = false;
};

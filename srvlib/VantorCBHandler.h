#pragma once

// What a server's session channel reports. Every call comes on the session
// stream's thread, one at a time, in message order, and must not block for
// long. The texts are valid only during the call. The bodies do nothing.
class VantorCBHandler
{
public:
    // The session stream ended after a close was requested.
    virtual void linkClosed() {}
    // The session stream ended (or could not be opened) without a close request.
    virtual void linkLost() {}
    virtual void txtMsg(const char* from, const char* msg) { (void)from, (void)msg; }
    virtual void spot(const char* name, double latitude, double longitude, double frequencyMHz,
                      int lifeTimeMinutes)
    {
        (void)name, (void)latitude, (void)longitude, (void)frequencyMHz, (void)lifeTimeMinutes;
    }
    virtual void updateIndicator(const char* name, const char* unit, double value)
    {
        (void)name, (void)unit, (void)value;
    }

protected:
    ~VantorCBHandler() = default;
};

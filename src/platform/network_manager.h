#pragma once
// A NetworkManager client over the D-Bus system bus (sd-bus): connection profiles, their
// activation and deactivation, and the progress of an activation. The bus address comes
// from DBUS_SYSTEM_BUS_ADDRESS when set. Without a bus, or without NetworkManager on it,
// the client reports itself unavailable and every call fails with LastError() set.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct sd_bus;
struct sd_bus_slot;

namespace ferrolin::platform {

// NetworkManager's states of an active connection.
enum NmActiveState : uint32_t {
    NmUnknown = 0,
    NmActivating = 1,
    NmActivated = 2,
    NmDeactivating = 3,
    NmDeactivated = 4,
};

// The reason NetworkManager gives when an active connection changes state.
constexpr uint32_t kNmReasonUserDisconnected = 2;

struct NmProfile {
    std::string name;  // connection.id
    std::string type;  // connection.type
    std::string path;  // the profile's object path
};

struct NmActiveConnection {
    std::string path;        // the active connection's object path
    std::string name;        // the profile's name (Id)
    std::string type;        // the profile's type
    std::string deviceName;  // the interface of its first device, or empty
    uint32_t state = NmUnknown;
};

struct NmProgress {
    uint32_t state = NmUnknown;
    uint32_t reason = 0;  // of the last reported change; 0 when none was seen
};

// NetworkManager's text for an active connection's state-change reason.
std::string NmReasonText(uint32_t reason);

class NetworkManager {
public:
    NetworkManager();
    ~NetworkManager();
    NetworkManager(const NetworkManager&) = delete;
    NetworkManager& operator=(const NetworkManager&) = delete;

    // The bus is open and NetworkManager owns its name on it.
    bool Available();
    // The text of the last failure.
    const std::string& LastError() const { return error_; }

    // Every connection profile except loopback, in NetworkManager's order.
    bool Profiles(std::vector<NmProfile>& out);
    // Activates a profile (on the device NetworkManager chooses); the active
    // connection's path, empty on failure.
    std::string Activate(const std::string& profilePath);
    bool Deactivate(const std::string& activePath);
    bool ActiveConnections(std::vector<NmActiveConnection>& out);

    // Waits up to timeoutMs for bus traffic (state changes), then reads the activation's
    // state. An activation NetworkManager no longer knows reads as deactivated.
    NmProgress Watch(const std::string& activePath, int timeoutMs);

    // Notes a StateChanged signal of an active connection (called by the bus match).
    void NoteStateChange(const std::string& activePath, NmProgress progress) {
        changes_[activePath] = progress;
    }

private:
    bool Open();

    struct BusCloser {
        void operator()(sd_bus* bus) const;
    };
    struct SlotCloser {
        void operator()(sd_bus_slot* slot) const;
    };
    std::unique_ptr<sd_bus, BusCloser> bus_;
    std::unique_ptr<sd_bus_slot, SlotCloser> match_;
    bool opened_ = false;
    std::string error_;
    std::map<std::string, NmProgress> changes_;  // last StateChanged per active connection
};

}  // namespace ferrolin::platform

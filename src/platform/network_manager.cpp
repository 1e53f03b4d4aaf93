#include "platform/network_manager.h"

#include <cstdlib>
#include <cstring>
#include <iterator>

#include <systemd/sd-bus.h>

namespace ferrolin::platform {

namespace {

constexpr const char* kNm = "org.freedesktop.NetworkManager";
constexpr const char* kNmPath = "/org/freedesktop/NetworkManager";
constexpr const char* kSettingsPath = "/org/freedesktop/NetworkManager/Settings";
constexpr const char* kSettingsIface = "org.freedesktop.NetworkManager.Settings";
constexpr const char* kProfileIface = "org.freedesktop.NetworkManager.Settings.Connection";
constexpr const char* kActiveIface = "org.freedesktop.NetworkManager.Connection.Active";
constexpr const char* kDeviceIface = "org.freedesktop.NetworkManager.Device";

// One call's error and reply, released on every path.
struct Call {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    ~Call() {
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
    }
    std::string Text(int r) const {
        if (error.message != nullptr) return error.message;
        return std::strerror(-r);
    }
};

std::string ReadStringProperty(sd_bus* bus, const std::string& path, const char* iface,
                               const char* name) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    char* value = nullptr;
    std::string result;
    if (sd_bus_get_property_string(bus, kNm, path.c_str(), iface, name, &error, &value) >= 0) {
        result = value;
        free(value);
    }
    sd_bus_error_free(&error);
    return result;
}

// connection.id and connection.type of a profile's settings (a{sa{sv}}).
bool ReadProfileSettings(sd_bus_message* m, NmProfile& profile) {
    if (sd_bus_message_enter_container(m, 'a', "{sa{sv}}") < 0) return false;
    while (sd_bus_message_enter_container(m, 'e', "sa{sv}") > 0) {
        const char* group = nullptr;
        if (sd_bus_message_read(m, "s", &group) < 0) return false;
        if (sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return false;
        while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
            const char* key = nullptr;
            const char* contents = nullptr;
            char type = 0;
            if (sd_bus_message_read(m, "s", &key) < 0) return false;
            sd_bus_message_peek_type(m, &type, &contents);
            const bool wanted = std::strcmp(group, "connection") == 0 && contents != nullptr &&
                                std::strcmp(contents, "s") == 0 &&
                                (std::strcmp(key, "id") == 0 || std::strcmp(key, "type") == 0);
            if (wanted) {
                const char* value = nullptr;
                if (sd_bus_message_read(m, "v", "s", &value) < 0) return false;
                (std::strcmp(key, "id") == 0 ? profile.name : profile.type) = value;
            } else if (sd_bus_message_skip(m, "v") < 0) {
                return false;
            }
            sd_bus_message_exit_container(m);
        }
        sd_bus_message_exit_container(m);
        sd_bus_message_exit_container(m);
    }
    return true;
}

int OnStateChanged(sd_bus_message* m, void* self, sd_bus_error*) {
    uint32_t state = 0;
    uint32_t reason = 0;
    const char* path = sd_bus_message_get_path(m);
    if (path != nullptr && sd_bus_message_read(m, "uu", &state, &reason) >= 0) {
        static_cast<NetworkManager*>(self)->NoteStateChange(path, NmProgress{state, reason});
    }
    return 0;
}

}  // namespace

std::string NmReasonText(uint32_t reason) {
    static constexpr const char* kTexts[] = {
        "The reason for the active connection state change is unknown",
        "No reason was given for the active connection state change",
        "The active connection changed state because the user disconnected it",
        "The active connection changed state because the device it was using was disconnected",
        "The service providing the VPN connection was stopped",
        "The IP config of the active connection was invalid",
        "The connection attempt to the VPN service timed out",
        "A timeout occurred while starting the service providing the VPN connection",
        "Starting the service providing the VPN connection failed",
        "Necessary secrets for the connection were not provided",
        "Authentication to the server failed",
        "The connection was deleted from settings",
        "Master connection of this connection failed to activate",
        "Could not create the software device link",
        "The device this connection depended on disappeared",
    };
    if (reason < std::size(kTexts)) return kTexts[reason];
    return "Active connection state change reason " + std::to_string(reason);
}

void NetworkManager::BusCloser::operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
void NetworkManager::SlotCloser::operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }

NetworkManager::NetworkManager() = default;
NetworkManager::~NetworkManager() {
    match_.reset();  // before the bus it belongs to
}

bool NetworkManager::Open() {
    if (bus_) return true;
    if (opened_) return false;  // the bus could not be opened before: no second try
    opened_ = true;
    sd_bus* bus = nullptr;
    const int r = sd_bus_open_system(&bus);
    if (r < 0) {
        error_ = std::string("no system bus: ") + std::strerror(-r);
        return false;
    }
    bus_.reset(bus);
    sd_bus_slot* slot = nullptr;
    // Every activation's state changes, subscribed before any activation starts.
    if (sd_bus_match_signal(bus, &slot, kNm, nullptr, kActiveIface, "StateChanged",
                            &OnStateChanged, this) >= 0) {
        match_.reset(slot);
    }
    return true;
}

bool NetworkManager::Available() {
    if (!Open()) return false;
    Call call;
    int owned = 0;
    const int r = sd_bus_call_method(bus_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                     "org.freedesktop.DBus", "NameHasOwner", &call.error,
                                     &call.reply, "s", kNm);
    if (r < 0 || sd_bus_message_read(call.reply, "b", &owned) < 0) {
        error_ = "system bus: " + call.Text(r);
        return false;
    }
    if (owned == 0) error_ = std::string(kNm) + " is not on the system bus";
    return owned != 0;
}

bool NetworkManager::Profiles(std::vector<NmProfile>& out) {
    out.clear();
    if (!Open()) return false;
    Call list;
    int r = sd_bus_call_method(bus_.get(), kNm, kSettingsPath, kSettingsIface, "ListConnections",
                               &list.error, &list.reply, "");
    if (r < 0) {
        error_ = list.Text(r);
        return false;
    }
    std::vector<std::string> paths;
    if (sd_bus_message_enter_container(list.reply, 'a', "o") < 0) return false;
    const char* path = nullptr;
    while (sd_bus_message_read(list.reply, "o", &path) > 0) paths.emplace_back(path);
    for (const std::string& p : paths) {
        Call settings;
        r = sd_bus_call_method(bus_.get(), kNm, p.c_str(), kProfileIface, "GetSettings",
                               &settings.error, &settings.reply, "");
        NmProfile profile;
        profile.path = p;
        // A profile that vanished in between, or one without a name, is left out.
        if (r < 0 || !ReadProfileSettings(settings.reply, profile) || profile.name.empty()) continue;
        if (profile.type == "loopback") continue;
        out.push_back(std::move(profile));
    }
    return true;
}

std::string NetworkManager::Activate(const std::string& profilePath) {
    if (!Open()) return {};
    Call call;
    const int r = sd_bus_call_method(bus_.get(), kNm, kNmPath, kNm, "ActivateConnection",
                                     &call.error, &call.reply, "ooo", profilePath.c_str(), "/",
                                     "/");
    const char* active = nullptr;
    if (r < 0 || sd_bus_message_read(call.reply, "o", &active) < 0) {
        error_ = call.Text(r);
        return {};
    }
    changes_.erase(active);
    return active;
}

bool NetworkManager::Deactivate(const std::string& activePath) {
    if (!Open()) return false;
    Call call;
    const int r = sd_bus_call_method(bus_.get(), kNm, kNmPath, kNm, "DeactivateConnection",
                                     &call.error, &call.reply, "o", activePath.c_str());
    if (r < 0) error_ = call.Text(r);
    return r >= 0;
}

bool NetworkManager::ActiveConnections(std::vector<NmActiveConnection>& out) {
    out.clear();
    if (!Open()) return false;
    Call call;
    const int r = sd_bus_get_property(bus_.get(), kNm, kNmPath, kNm, "ActiveConnections",
                                      &call.error, &call.reply, "ao");
    if (r < 0 || sd_bus_message_enter_container(call.reply, 'a', "o") < 0) {
        error_ = call.Text(r);
        return false;
    }
    const char* path = nullptr;
    while (sd_bus_message_read(call.reply, "o", &path) > 0) {
        NmActiveConnection active;
        active.path = path;
        active.name = ReadStringProperty(bus_.get(), active.path, kActiveIface, "Id");
        active.type = ReadStringProperty(bus_.get(), active.path, kActiveIface, "Type");
        sd_bus_error error = SD_BUS_ERROR_NULL;
        uint32_t state = NmUnknown;
        if (sd_bus_get_property_trivial(bus_.get(), kNm, path, kActiveIface, "State", &error, 'u',
                                        &state) >= 0) {
            active.state = state;
        }
        sd_bus_error_free(&error);
        Call devices;
        if (sd_bus_get_property(bus_.get(), kNm, path, kActiveIface, "Devices", &devices.error,
                                &devices.reply, "ao") >= 0 &&
            sd_bus_message_enter_container(devices.reply, 'a', "o") >= 0) {
            const char* device = nullptr;
            if (sd_bus_message_read(devices.reply, "o", &device) > 0) {
                active.deviceName = ReadStringProperty(bus_.get(), device, kDeviceIface, "Interface");
            }
        }
        out.push_back(std::move(active));
    }
    return true;
}

NmProgress NetworkManager::Watch(const std::string& activePath, int timeoutMs) {
    NmProgress progress{NmDeactivated, 0};
    if (!Open()) return progress;
    // Handle what is queued; wait for more only when nothing was.
    int r = sd_bus_process(bus_.get(), nullptr);
    if (r == 0 && timeoutMs > 0) {
        sd_bus_wait(bus_.get(), static_cast<uint64_t>(timeoutMs) * 1000);
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    uint32_t state = NmUnknown;
    if (sd_bus_get_property_trivial(bus_.get(), kNm, activePath.c_str(), kActiveIface, "State",
                                    &error, 'u', &state) >= 0) {
        progress.state = state;
    }
    sd_bus_error_free(&error);
    // Signals that came in while the state was read carry the reason of that state.
    while ((r = sd_bus_process(bus_.get(), nullptr)) > 0) {
    }
    const auto seen = changes_.find(activePath);
    if (seen != changes_.end()) progress.reason = seen->second.reason;
    return progress;
}

}  // namespace ferrolin::platform

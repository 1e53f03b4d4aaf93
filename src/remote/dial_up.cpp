#include "remote/dial_up.h"

#include <chrono>
#include <utility>

namespace ferrolin {

namespace {

using platform::NmProgress;

const char* StateText(int state) {
    static constexpr const char* kLow[] = {
        "Opening port", "Port opened", "Connecting device", "Device connected",
        "All devices connected", "Start authenticating", "Authentication: notify",
        "Authentication: retry", "Authentication: callback", "Authentication: change password",
        "Authentication: projecting", "Authentication: link speed", "Authentication: acknowledge",
        "Authentication: reauthenticate", "Authenticated", "Preparing for callback",
        "Waiting for modem reset", "Waiting for callback", "Projected", "Start authentication",
        "Callback complete", "Logging on network",
    };
    if (state >= 0 && state < static_cast<int>(std::size(kLow))) return kLow[state];
    switch (state) {
        case 4096: return "Interactive";
        case 4097: return "Retry Authentication";
        case 4098: return "Callback set by caller";
        case 4099: return "Password expired";
        case kRasConnected: return "Connected";
        case kRasDisconnected: return "Disconnected";
        default: return "";
    }
}

}  // namespace

NetworkDialUp::NetworkDialUp() : nm_(std::make_unique<platform::NetworkManager>()) {}
NetworkDialUp::~NetworkDialUp() = default;

bool NetworkDialUp::Available() {
    if (available_ < 0) available_ = nm_->Available() ? 1 : 0;
    return available_ == 1;
}

std::string NetworkDialUp::StatusString(int state, int error) {
    if (error == 0) return StateText(state);
    if (error >= kRasReasonBase) {
        return platform::NmReasonText(static_cast<uint32_t>(error - kRasReasonBase));
    }
    switch (error) {
        case kRasErrorUnavailable: return "NetworkManager is not available";
        case kRasErrorNoEntry: return "The entry has no connection profile";
        default: return "NetworkManager refused the request";
    }
}

int NetworkDialUp::Fail(int code, const std::string& text) {
    if (OnError) OnError(code, text);
    return code;
}

int NetworkDialUp::GetEntries() {
    Entries.clear();
    if (!Available()) return kRasErrorUnavailable;
    std::vector<platform::NmProfile> profiles;
    if (!nm_->Profiles(profiles)) return kRasErrorRefused;
    for (const platform::NmProfile& profile : profiles) {
        Entries.push_back(profile.name);
        if (OnEntryGet) OnEntryGet(profile.name);
    }
    return 0;
}

void NetworkDialUp::MapProgress(const NmProgress& progress, int& state, int& error) {
    error = 0;
    switch (progress.state) {
        case platform::NmActivated: state = kRasConnected; break;
        case platform::NmDeactivating:
        case platform::NmDeactivated:
            state = kRasDisconnected;
            // An activation that ends on its own carries NetworkManager's reason.
            if (progress.reason != platform::kNmReasonUserDisconnected) {
                error = kRasReasonBase + static_cast<int>(progress.reason);
            }
            break;
        default: state = kRasConnectingDevice; break;
    }
}

int NetworkDialUp::Dial() {
    HangUp();
    if (!Available()) return Fail(kRasErrorUnavailable, "GetEntryDialParams failed");
    std::vector<platform::NmProfile> profiles;
    nm_->Profiles(profiles);
    std::string profilePath;
    for (const platform::NmProfile& profile : profiles) {
        if (profile.name == Entry) {
            profilePath = profile.path;
            break;
        }
    }
    if (profilePath.empty()) return Fail(kRasErrorNoEntry, "GetEntryDialParams failed");
    hRAS_.clear();
    asyncActive_ = false;
    lastState_ = -1;
    if (OnDialing) OnDialing();
    hRAS_ = nm_->Activate(profilePath);
    if (hRAS_.empty()) {
        const std::string text = nm_->LastError();
        if (DialMode == dmSync) {
            if (OnNotConnected) OnNotConnected(kRasErrorRefused, text);
        } else if (OnError) {
            OnError(kRasErrorRefused, text);
        }
        return kRasErrorRefused;
    }
    if (DialMode == dmAsync) {
        asyncActive_ = true;
        return 0;
    }
    // Synchronous: wait here until the line is up or the activation ends.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(SyncWaitMs);
    int state = kRasConnectingDevice;
    int error = 0;
    while (true) {
        MapProgress(nm_->Watch(hRAS_, 100), state, error);
        if (state != kRasConnectingDevice || std::chrono::steady_clock::now() >= deadline) break;
    }
    if (state == kRasConnected) {
        if (OnConnect) OnConnect();
        return 0;
    }
    if (error == 0) error = kRasReasonBase + 6;  // still activating: the connect timed out
    nm_->Deactivate(hRAS_);
    hRAS_.clear();
    if (OnNotConnected) OnNotConnected(error, StatusString(state, error));
    return error;
}

void NetworkDialUp::Pump(int waitMs) {
    if (!asyncActive_ || hRAS_.empty()) return;
    int state = 0;
    int error = 0;
    MapProgress(nm_->Watch(hRAS_, waitMs), state, error);
    if (state == lastState_) return;
    lastState_ = state;
    if (state != kRasConnectingDevice) asyncActive_ = false;  // the activation is settled
    if (OnAsyncEvent) OnAsyncEvent(state, error, StatusString(state, error));
}

int NetworkDialUp::HangUp() {
    asyncActive_ = false;
    if (hRAS_.empty()) return 0;
    const std::string handle = std::exchange(hRAS_, std::string());
    return HangUpConn(handle);
}

int NetworkDialUp::HangUpConn(const std::string& handle) {
    if (!Available()) return kRasErrorUnavailable;
    return nm_->Deactivate(handle) ? 0 : kRasErrorRefused;
}

int NetworkDialUp::GetConnections() {
    if (!Available()) return kRasErrorUnavailable;
    std::vector<platform::NmActiveConnection> active;
    if (!nm_->ActiveConnections(active)) return kRasErrorRefused;
    for (const platform::NmActiveConnection& line : active) {
        int state = 0;
        int error = 0;
        MapProgress({line.state, platform::kNmReasonUserDisconnected}, state, error);
        if (OnActiveConnection) {
            OnActiveConnection(line.path, state, StatusString(state, 0), line.name, line.type,
                               line.deviceName);
        }
    }
    return 0;
}

}  // namespace ferrolin

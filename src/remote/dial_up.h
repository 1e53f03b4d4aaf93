#pragma once
// NetworkDialUp: dial-up lines as NetworkManager connection profiles. An entry is a profile
// (by name), dialling activates it, hanging up deactivates it, and the activation's
// progress arrives as status events with the line states and texts of StatusString.
// Asynchronous progress is delivered by Pump, which the caller's wait loop calls.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/network_manager.h"

namespace ferrolin {

enum TDialMode : uint8_t { dmAsync = 0, dmSync = 1 };

// Line states reported by the status events.
constexpr int kRasConnectingDevice = 2;
constexpr int kRasConnected = 8192;
constexpr int kRasDisconnected = 8193;

// Error codes besides 0 (success): no NetworkManager; an entry without a profile;
// NetworkManager refused a request; and kRasReasonBase + NetworkManager's reason for
// an activation that ended without a line.
constexpr int kRasErrorUnavailable = 600;
constexpr int kRasErrorNoEntry = 601;
constexpr int kRasErrorRefused = 602;
constexpr int kRasReasonBase = 1000;

class NetworkDialUp {
  public:
    NetworkDialUp();
    ~NetworkDialUp();
    NetworkDialUp(const NetworkDialUp&) = delete;
    NetworkDialUp& operator=(const NetworkDialUp&) = delete;

    // NetworkManager is reachable; asked once, the answer is kept.
    bool Available();

    TDialMode DialMode = dmAsync;
    std::vector<std::string> Entries;  // names found by the last GetEntries
    std::string Entry;                 // the entry Dial dials
    // Longest wait of a synchronous dial, in milliseconds.
    int SyncWaitMs = 60000;

    std::function<void(const std::string& entry)> OnEntryGet;
    std::function<void()> OnDialing;
    std::function<void()> OnConnect;
    std::function<void(int code, const std::string& text)> OnNotConnected;
    std::function<void(int state, int error, const std::string& text)> OnAsyncEvent;
    std::function<void(int code, const std::string& text)> OnError;
    // handle, state, status text, entry name, device type, device name
    std::function<void(const std::string&, int, const std::string&, const std::string&,
                       const std::string&, const std::string&)>
        OnActiveConnection;

    int GetEntries();
    int Dial();
    int HangUp();
    int GetConnections();
    int HangUpConn(const std::string& handle);
    // Delivers the progress of an asynchronous dial, waiting up to waitMs for it.
    void Pump(int waitMs);

    // The connection made by the last Dial (an active connection's path), empty before.
    const std::string& hRAS() const { return hRAS_; }

    static std::string StatusString(int state, int error);

private:
    int Fail(int code, const std::string& text);
    // The line state and error of an activation's NetworkManager state.
    static void MapProgress(const platform::NmProgress& progress, int& state, int& error);

    std::unique_ptr<platform::NetworkManager> nm_;
    int available_ = -1;  // -1 not asked yet
    std::string hRAS_;
    int lastState_ = -1;  // the last state an asynchronous event reported
    bool asyncActive_ = false;
};

}  // namespace ferrolin

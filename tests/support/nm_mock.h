#pragma once
// A NetworkManager stand-in for tests: a private dbus-daemon and python3-dbusmock's
// NetworkManager template (extended by nm_dialup.py with scriptable activations) on it.
// While the object lives, DBUS_SYSTEM_BUS_ADDRESS names the private bus; the machine's
// own system bus and network are never touched.
#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace ferrolin::test {

class NmMock {
public:
    // profiles: {name, type} pairs. withService = false starts only the bus (no
    // NetworkManager on it).
    explicit NmMock(const std::vector<std::pair<std::string, std::string>>& profiles,
                    bool withService = true);
    ~NmMock();
    NmMock(const NmMock&) = delete;
    NmMock& operator=(const NmMock&) = delete;

    static bool Possible();  // dbus-daemon and the dbusmock module are installed
    bool Ready() const { return ready_; }
    const std::string& Address() const { return address_; }

    // The n-th profile (0-based) succeeds after delayMs, fails with reason, or hangs.
    bool SetBehaviour(int profile, const std::string& mode, int delayMs, int reason = 0);
    // The number of active connections NetworkManager lists.
    int ActiveCount();
    // How often NetworkManager's method (ActivateConnection, ...) was called.
    int CallCount(const std::string& method);

private:
    CommandResult Busctl(const std::vector<std::string>& words);

    TempDir dir_;
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> mock_;
    std::string address_;
    std::string previous_;
    bool hadPrevious_ = false;
    bool ready_ = false;
};

}  // namespace ferrolin::test

#include "support/nm_mock.h"

#include <cstdlib>
#include <sstream>

#include "platform/network_manager.h"

namespace ferrolin::test {

namespace {

constexpr const char* kBusConfig = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

bool NmMock::Possible() {
    return IsExecutable("/usr/bin/dbus-daemon") && IsExecutable("/usr/bin/busctl") &&
           RunCommand({"/usr/bin/python3", "-c", "import dbusmock"}).exitCode == 0;
}

NmMock::NmMock(const std::vector<std::pair<std::string, std::string>>& profiles,
               bool withService) {
    WriteFile(dir_ / "bus.conf", kBusConfig);
    bus_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/dbus-daemon", "--config-file=" + (dir_ / "bus.conf"),
                                 "--nofork", "--print-address=1"},
        dir_ / "bus.out");
    if (!WaitFor([&] { return ReadFile(dir_ / "bus.out").find('\n') != std::string::npos; })) return;
    std::istringstream lines(ReadFile(dir_ / "bus.out"));
    while (std::getline(lines, address_) && address_.rfind("unix:", 0) != 0) {
    }
    if (address_.empty()) return;
    if (const char* old = std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) {
        hadPrevious_ = true;
        previous_ = old;
    }
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
    if (!withService) {
        ready_ = true;
        return;
    }
    std::string json = "{\"remove_delay_ms\": 50, \"connections\": [";
    for (size_t n = 0; n < profiles.size(); ++n) {
        json += (n ? ", [" : "[") + JsonString(profiles[n].first) + ", " +
                JsonString(profiles[n].second) + "]";
    }
    json += "]}";
    mock_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/python3", "-m", "dbusmock", "--system", "-t",
                                 std::string(FERROLIN_TEST_SUPPORT_DIR) + "/nm_dialup.py", "-p",
                                 json},
        dir_ / "mock.out");
    ready_ = WaitFor([] { return platform::NetworkManager().Available(); });
}

NmMock::~NmMock() {
    mock_.reset();
    bus_.reset();
    if (hadPrevious_) {
        setenv("DBUS_SYSTEM_BUS_ADDRESS", previous_.c_str(), 1);
    } else {
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
}

CommandResult NmMock::Busctl(const std::vector<std::string>& words) {
    std::vector<std::string> argv{"/usr/bin/busctl", "--address=" + address_};
    argv.insert(argv.end(), words.begin(), words.end());
    return RunCommand(argv);
}

bool NmMock::SetBehaviour(int profile, const std::string& mode, int delayMs, int reason) {
    return Busctl({"call", "org.freedesktop.NetworkManager", "/org/freedesktop/NetworkManager",
                   "org.freedesktop.DBus.Mock", "SetActivationBehaviour", "ssuu",
                   "/org/freedesktop/NetworkManager/Settings/" + std::to_string(profile), mode,
                   std::to_string(delayMs), std::to_string(reason)})
               .exitCode == 0;
}

int NmMock::CallCount(const std::string& method) {
    // The answer reads "a(tav) <count> ...".
    const CommandResult result =
        Busctl({"call", "org.freedesktop.NetworkManager", "/org/freedesktop/NetworkManager",
                "org.freedesktop.DBus.Mock", "GetMethodCalls", "s", method});
    std::istringstream words(result.output);
    std::string signature;
    int count = -1;
    words >> signature >> count;
    return result.exitCode == 0 ? count : -1;
}

int NmMock::ActiveCount() {
    std::vector<platform::NmActiveConnection> active;
    platform::NetworkManager nm;
    return nm.ActiveConnections(active) ? static_cast<int>(active.size()) : -1;
}

}  // namespace ferrolin::test

#pragma once
// Cutting off this process's own connections that a library holds without showing its
// sockets (libsmbclient): a read blocked on such a connection returns at once, as if the
// server had closed it, so a stalled or frozen server cannot hold a stopped run.
#include <cstdint>
#include <set>

namespace ferrolin::platform {

// Ends the receiving side of every connected TCP socket of this process whose peer port
// is in ports; returns how many it cut. Safe from any thread.
int CutOffStreamsToPorts(const std::set<uint16_t>& ports);

}  // namespace ferrolin::platform

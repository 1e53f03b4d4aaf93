#pragma once
// Small blocking-with-deadline socket helpers for the program's own little protocol
// clients (time servers). Every wait is bounded by a time-out so that a silent server
// can never hold the user-interface thread longer than that.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/unique_fd.h"

namespace ferrolin::platform {

// A connected socket is a UniqueFd (closed when it goes).
using Socket = UniqueFd;

enum class SocketKind { Datagram, Stream };

// Resolves host (a name or an IPv4/IPv6 literal) and connects a socket of the given kind
// to the first address that takes it. A stream connect waits at most timeout; a datagram
// "connect" only fixes the peer, so the kernel drops datagrams from anyone else.
// On failure returns nothing and sets error to a readable reason.
std::optional<Socket> ConnectSocket(const std::string& host, uint16_t port, SocketKind kind,
                                    std::chrono::milliseconds timeout, std::string& error);

// Sends all bytes on a connected socket.
bool SendBytes(const Socket& socket, std::span<const uint8_t> bytes, std::string& error);

// Waits until data arrives or the deadline passes and reads at most buffer.size() bytes.
// Returns the count read (0 = the peer closed a stream), or nothing on a time-out or an
// error (error says which).
std::optional<size_t> ReceiveBytes(const Socket& socket, std::span<uint8_t> buffer,
                                   std::chrono::steady_clock::time_point deadline,
                                   std::string& error);

}  // namespace ferrolin::platform

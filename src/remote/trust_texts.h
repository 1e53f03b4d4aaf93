#pragma once
// The texts that say why a server was not trusted: an SSH host key that is unknown or
// changed, a TLS certificate refused for a reason. Where the operator can trust the
// server on purpose, the text says how.
#include <cstdint>
#include <string>
#include <string_view>

#include "protocols/ftp_client.h"

namespace ferrolin {

// "" when the identity gave no reason to refuse the server.
std::string IdentityRefusalText(FtpScheme scheme, std::string_view host, uint16_t port,
                                const FtpClient::ServerIdentity& identity);

}  // namespace ferrolin

#pragma once
// "trust-host": a server's SSH host key or TLS certificate shown and kept in the program
// folder (known_hosts, trusted_certs), so jobs to it pass the check.
#include <string>
#include <vector>

namespace ferrolin {

struct TrustHostLines {
    std::vector<std::string> output;  // what was seen and done
    std::vector<std::string> errors;  // why nothing was done
    int exitCode = 1;                 // 0: the server is trusted now
};

// Connects to url's server (sftp://, ftps:// or ftpes://) and trusts what it shows. A
// host with another key keeps it (exit 1) unless replace.
TrustHostLines TrustHostCommand(const std::string& programDir, const std::string& url,
                                bool replace);

}  // namespace ferrolin

#pragma once
// SHA-256 and Base64 (OpenSSL's libcrypto): the fingerprints of host keys and the pins of
// certificates are written in these forms.
#include <optional>
#include <string>
#include <string_view>

namespace ferrolin {

// The 32-byte SHA-256 digest of data.
std::string Sha256(std::string_view data);

// Standard Base64 with "=" padding; without it where padded is false (the form of
// OpenSSH's "SHA256:" fingerprints).
std::string Base64Encode(std::string_view data, bool padded = true);

// Standard Base64 (padding optional, no blanks); nothing for text that is not Base64.
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace ferrolin

#include "protocols/digest.h"

#include <openssl/evp.h>

#include <vector>

namespace ferrolin {

std::string Sha256(std::string_view data) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(data.data(), data.size(), digest, &size, EVP_sha256(), nullptr) != 1) return {};
    return std::string(reinterpret_cast<const char*>(digest), size);
}

std::string Base64Encode(std::string_view data, bool padded) {
    std::vector<unsigned char> out(4 * ((data.size() + 2) / 3) + 1);
    const int written =
        EVP_EncodeBlock(out.data(), reinterpret_cast<const unsigned char*>(data.data()),
                        static_cast<int>(data.size()));
    std::string text(reinterpret_cast<const char*>(out.data()), static_cast<size_t>(written));
    if (!padded) {
        while (!text.empty() && text.back() == '=') text.pop_back();
    }
    return text;
}

std::optional<std::string> Base64Decode(std::string_view text) {
    std::string padded(text);
    while (padded.size() % 4 != 0) padded += '=';
    if (padded.empty()) return std::string();
    for (char c : padded) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '+' || c == '/' || c == '=';
        if (!ok) return std::nullopt;
    }
    std::vector<unsigned char> out(padded.size() / 4 * 3 + 1);
    const int written =
        EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(padded.data()),
                        static_cast<int>(padded.size()));
    if (written < 0) return std::nullopt;
    // EVP_DecodeBlock counts the padding as zero bytes.
    size_t size = static_cast<size_t>(written);
    for (size_t i = padded.size(); i > 0 && padded[i - 1] == '=' && size > 0; --i) --size;
    return std::string(reinterpret_cast<const char*>(out.data()), size);
}

}  // namespace ferrolin

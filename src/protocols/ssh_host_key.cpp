#include "protocols/ssh_host_key.h"

#include "protocols/digest.h"

namespace ferrolin {

std::string FingerprintOf(const SshHostKey& key) {
    return "SHA256:" + Base64Encode(Sha256(key.blob), false);
}

std::string KeyTypeOfBlob(std::string_view blob) {
    if (blob.size() < 4) return {};
    const auto byte = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(blob[i]));
    };
    const uint32_t length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    if (length == 0 || length > blob.size() - 4 || length > 64) return {};
    return std::string(blob.substr(4, length));
}

std::string KnownHostsName(std::string_view host, uint16_t port) {
    if (port == 22) return std::string(host);
    return "[" + std::string(host) + "]:" + std::to_string(port);
}

namespace {

int OnHostKey(CURL*, const curl_khkey* known, const curl_khkey* found, curl_khmatch match,
              void* user) {
    (void)known;
    auto* check = static_cast<HostKeyCheck*>(user);
    check->key = {};
    if (found != nullptr && found->key != nullptr) {
        // libcurl hands over the key as the server sent it (binary, with its length).
        std::string blob;
        if (found->len > 0) {
            blob.assign(found->key, found->len);
        } else if (auto decoded = Base64Decode(found->key)) {
            blob = *decoded;
        }
        check->key = {KeyTypeOfBlob(blob), blob};
    }
    switch (match) {
        case CURLKHMATCH_OK:
            check->match = HostKeyMatch::Known;
            break;
        case CURLKHMATCH_MISMATCH:
            check->match = HostKeyMatch::Changed;
            break;
        default:
            check->match = HostKeyMatch::Unknown;
            break;
    }
    if (check->learnOnly) return CURLKHSTAT_REJECT;
    return check->match == HostKeyMatch::Known ? CURLKHSTAT_FINE : CURLKHSTAT_REJECT;
}

}  // namespace

void ApplyHostKeyCheck(CURL* handle, HostKeyCheck& check) {
    // libcurl asks the callback only when a file is named; a missing file knows no host.
    const std::string file =
        check.knownHostsFile.empty() ? "/nonexistent/known_hosts" : check.knownHostsFile;
    curl_easy_setopt(handle, CURLOPT_SSH_KNOWNHOSTS, file.c_str());
    curl_easy_setopt(handle, CURLOPT_SSH_KEYFUNCTION, OnHostKey);
    curl_easy_setopt(handle, CURLOPT_SSH_KEYDATA, &check);
}

}  // namespace ferrolin

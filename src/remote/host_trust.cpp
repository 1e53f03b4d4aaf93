#include "remote/host_trust.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/whole_file.h"
#include "protocols/digest.h"

namespace ferrolin {

namespace {

// The text lines of a file; none for a file that does not exist.
bool ReadLines(const std::string& path, std::vector<std::string>& lines, std::string& error) {
    std::string content;
    const int32_t code = platform::ReadWholeFile(path, content);
    if (code == ENOENT) return true;
    if (code != 0) {
        error = path + " cannot be read: " + std::strerror(code);
        return false;
    }
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines,
                std::string& error) {
    std::string content;
    for (const std::string& line : lines) content += line + "\n";
    const int32_t code =
        platform::ReplaceWholeFile(path, content, nullptr, platform::FileAccess::Private);
    if (code != 0) {
        error = path + " cannot be written: " + std::strerror(code);
        return false;
    }
    return true;
}

// The blank-separated words of a line.
std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < line.size()) {
        const size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) break;
        size_t end = line.find_first_of(" \t", start);
        if (end == std::string_view::npos) end = line.size();
        words.push_back(line.substr(start, end - start));
        at = end;
    }
    return words;
}

// A known_hosts line's host list ("a,[b]:2222") names name.
bool NamesHost(std::string_view list, std::string_view name) {
    while (!list.empty()) {
        const size_t comma = list.find(',');
        if (list.substr(0, comma) == name) return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

// Stores one line for a host in a file of lines where isHost tells a line of that host
// and sameKey whether such a line holds the key being stored.
template <typename IsHost, typename SameKey>
std::optional<TrustStored> StoreLine(const std::string& path, const std::string& line, bool replace,
                                     IsHost isHost, SameKey sameKey, std::string& error) {
    if (path.empty()) {
        error = "No program folder to keep trusted hosts in";
        return std::nullopt;
    }
    std::vector<std::string> lines;
    if (!ReadLines(path, lines, error)) return std::nullopt;
    bool known = false;
    bool other = false;
    for (const std::string& existing : lines) {
        if (!isHost(existing)) continue;
        (sameKey(existing) ? known : other) = true;
    }
    if (known && !other) return TrustStored::AlreadyTrusted;
    if (other && !replace) return TrustStored::Differs;
    std::vector<std::string> kept;
    for (std::string& existing : lines) {
        if (!isHost(existing)) kept.push_back(std::move(existing));
    }
    kept.push_back(line);
    if (!WriteLines(path, kept, error)) return std::nullopt;
    return other ? TrustStored::Replaced : TrustStored::Added;
}

}  // namespace

std::string HostPortText(std::string_view host, uint16_t port) {
    const bool v6 = host.find(':') != std::string_view::npos;
    return (v6 ? "[" + std::string(host) + "]" : std::string(host)) + ":" + std::to_string(port);
}

std::string HostTrust::KnownHostsFile() const {
    return folder_.empty() ? std::string() : folder_ + "/known_hosts";
}

std::string HostTrust::TrustedCertsFile() const {
    return folder_.empty() ? std::string() : folder_ + "/trusted_certs";
}

TlsTrust HostTrust::TlsTrustFor(std::string_view host, uint16_t port) const {
    TlsTrust trust;
    trust.caFile = caFile;
    std::vector<std::string> lines;
    std::string error;
    if (folder_.empty() || !ReadLines(TrustedCertsFile(), lines, error)) return trust;
    const std::string name = HostPortText(host, port);
    for (const std::string& line : lines) {
        const auto words = Words(line);
        if (words.size() >= 2 && words[0] == name && words[1].substr(0, 8) == "sha256//") {
            trust.pinnedKey = std::string(words[1]);
            break;
        }
    }
    return trust;
}

std::optional<TrustStored> HostTrust::TrustHostKey(std::string_view host, uint16_t port,
                                                   const SshHostKey& key, bool replace,
                                                   std::string& error) const {
    const std::string name = KnownHostsName(host, port);
    const std::string keyText = Base64Encode(key.blob);
    const auto isHost = [&](const std::string& line) {
        const auto words = Words(line);
        // Comments, markers (@revoked, @cert-authority) and hashed names are left alone.
        return words.size() >= 3 && words[0][0] != '#' && words[0][0] != '@' &&
               NamesHost(words[0], name);
    };
    const auto sameKey = [&](const std::string& line) {
        const auto words = Words(line);
        return words[1] == key.type && words[2] == keyText;
    };
    return StoreLine(KnownHostsFile(), name + " " + key.type + " " + keyText, replace, isHost,
                     sameKey, error);
}

std::optional<TrustStored> HostTrust::TrustCertificate(std::string_view host, uint16_t port,
                                                       const PeerCertificate& certificate,
                                                       bool replace, std::string& error) const {
    const std::string name = HostPortText(host, port);
    const auto isHost = [&](const std::string& line) {
        const auto words = Words(line);
        return words.size() >= 2 && words[0] == name;
    };
    const auto sameKey = [&](const std::string& line) { return Words(line)[1] == certificate.pin; };
    std::string line = name + " " + certificate.pin;
    // The subject is for the reader of the file; a line break in it must not make a line.
    if (!certificate.subject.empty()) {
        std::string subject = certificate.subject;
        for (char& c : subject) {
            if (static_cast<unsigned char>(c) < 0x20) c = ' ';
        }
        line += " " + subject;
    }
    return StoreLine(TrustedCertsFile(), line, replace, isHost, sameKey, error);
}

}  // namespace ferrolin

#include "common/password_free.h"

namespace ferrolin {

namespace {

// Where the host part that follows "//" ends.
bool EndsHostPart(char c) {
    return c == '/' || c == '\\' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"' ||
           c == '\'' || c == '<' || c == '>';
}

bool StartsAddress(std::string_view text, size_t at) {
    return at + 1 < text.size() && ((text[at] == '/' && text[at + 1] == '/') ||
                                    (text[at] == '\\' && text[at + 1] == '\\'));
}

}  // namespace

std::string WithoutPasswords(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        if (!StartsAddress(text, pos)) {
            out += text[pos++];
            continue;
        }
        // "//" (or "\\" of a share path written on Windows), then user[:password]@host.
        out.append(text.substr(pos, 2));
        pos += 2;
        size_t end = pos;
        while (end < text.size() && !EndsHostPart(text[end])) ++end;
        const std::string_view hostPart = text.substr(pos, end - pos);
        const size_t at = hostPart.rfind('@');
        const size_t colon = at == std::string_view::npos ? at : hostPart.find(':');
        if (colon != std::string_view::npos && colon < at) {
            out.append(hostPart.substr(0, colon));
            out.append(hostPart.substr(at));
        } else {
            out.append(hostPart);
        }
        pos = end;
    }
    return out;
}

}  // namespace ferrolin

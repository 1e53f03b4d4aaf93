#include "protocols/attachment_name.h"

namespace ferrolin {

namespace {

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// The text after the last "/" or "\".
std::string_view LastComponent(std::string_view name) {
    const size_t cut = name.find_last_of("/\\");
    return cut == std::string_view::npos ? name : name.substr(cut + 1);
}

// Cuts text to at most limit bytes without splitting a UTF-8 sequence.
std::string_view CutUtf8(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

std::string Shorten(const std::string& name) {
    if (name.size() <= kMaxFileNameBytes) return name;
    // Keep an extension of reasonable length: it is what makes the file usable.
    std::string_view extension;
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0 && name.size() - dot <= 16) {
        extension = std::string_view(name).substr(dot);
    }
    const std::string_view stem = std::string_view(name).substr(0, name.size() - extension.size());
    std::string result(CutUtf8(stem, kMaxFileNameBytes - extension.size()));
    result += extension;
    return result;
}

}  // namespace

AttachmentName SafeAttachmentName(std::string_view given, std::string_view generated) {
    std::string name;
    for (const char c : LastComponent(given)) {
        if (!IsControl(static_cast<unsigned char>(c))) name += c;
    }
    name = Shorten(name);
    if (name.empty() || name == "." || name == "..") name = std::string(generated);
    AttachmentName result;
    result.changed = name != given;
    result.name = std::move(name);
    return result;
}

}  // namespace ferrolin

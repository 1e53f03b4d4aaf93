// Reads arbitrary bytes as a mail message, with and without decoding, walks every part and
// decodes every attachment into /dev/null; every attachment name goes through the name
// rule, whose result must always be a plain name inside the destination folder.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/unique_fd.h"
#include "protocols/attachment_name.h"
#include "protocols/mime_message.h"

namespace {

void CheckName(std::string_view given) {
    const ferrolin::AttachmentName safe = ferrolin::SafeAttachmentName(given, "generated.bin");
    const std::string& name = safe.name;
    if (name.empty() || name == "." || name == ".." || name.size() > ferrolin::kMaxFileNameBytes ||
        name.find_first_of("/\\") != std::string::npos) {
        std::abort();
    }
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
    }
    if (!safe.changed && name != given) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckName(bytes.substr(0, 300));
    const ferrolin::platform::UniqueFd sink(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    for (const bool decode : {true, false}) {
        std::string error;
        auto message = ferrolin::MimeMessage::ReadBytes(bytes, decode, error);
        if (!message) continue;
        message->BodyLines();
        message->WriteBody(sink.get(), error);
        const auto& parts = message->Parts();
        for (size_t i = 0; i < parts.size(); ++i) {
            if (parts[i].kind != ferrolin::MimePartKind::Attachment) continue;
            CheckName(parts[i].fileName);
            message->SaveAttachment(i, sink.get(), error);
        }
    }
    return 0;
}

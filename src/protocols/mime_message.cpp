#include "protocols/mime_message.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "common/memo_lines.h"
#include "protocols/gmime_handles.h"

namespace ferrolin {

struct MimeMessage::Impl {
    GObjectPtr<GMimeStream> source;
    GObjectPtr<GMimeMessage> message;
    bool decode = true;
    std::string subject;
    std::string date;
    std::string headerText;
    std::string preamble;
    std::string bodyText;  // decoded body; the raw message is read from source instead
    std::vector<MimePart> parts;
    // The GMime object behind each entry of parts (null for text parts).
    std::vector<GObjectPtr<GMimeObject>> partObjects;
    // Why the message cannot be read whole (parts nested too deep, a part whose encoding
    // is broken); empty when it can.
    std::string unreadable;
};

namespace {

// Deeper nesting than this is no real mail; such a message is not read (its inner parts
// could not be reached, and storing the rest would pass it for complete).
constexpr int kMaxNesting = 64;

std::string Text(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

std::string ContentTypeText(GMimeObject* object) {
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (type == nullptr) return "text/plain";
    return Text(g_mime_content_type_get_media_type(type)) + "/" +
           Text(g_mime_content_type_get_media_subtype(type));
}

bool IsBase64Letter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

// Whether the base64 text of stream decodes to what was sent: only the base64 alphabet
// and line breaks, padding only at the end, no group cut to a single letter. (GMime's
// decoder skips what it does not understand, which would store a damaged file silently.)
bool Base64Intact(GMimeStream* stream) {
    if (g_mime_stream_reset(stream) != 0) return false;
    uint64_t letters = 0;
    int padding = 0;
    char buffer[16384];
    for (;;) {
        const ssize_t got = g_mime_stream_read(stream, buffer, sizeof buffer);
        // A part read from a file answers -1 rather than 0 at its end.
        if (got == 0 || (got < 0 && g_mime_stream_eos(stream))) break;
        if (got < 0) return false;
        for (ssize_t i = 0; i < got; ++i) {
            const auto c = static_cast<unsigned char>(buffer[i]);
            if (c == '\r' || c == '\n' || c == ' ' || c == '\t') continue;
            if (c == '=') {
                if (++padding > 2) return false;
            } else if (!IsBase64Letter(c) || padding > 0) {
                return false;
            }
            if (c != '=') ++letters;
        }
    }
    g_mime_stream_reset(stream);
    if (padding > 0) return (letters + padding) % 4 == 0;
    return letters % 4 != 1;
}

// The reason a leaf part cannot be decoded as it was sent; empty when it can.
std::string DamagedEncoding(GMimeObject* object) {
    if (!GMIME_IS_PART(object)) return {};
    GMimePart* part = GMIME_PART(object);
    if (g_mime_part_get_content_encoding(part) != GMIME_CONTENT_ENCODING_BASE64) return {};
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    GMimeStream* stream = content != nullptr ? g_mime_data_wrapper_get_stream(content) : nullptr;
    if (stream == nullptr || Base64Intact(stream)) return {};
    const char* name = g_mime_part_get_filename(part);
    return std::string("The base64 text of part ") +
           (name != nullptr ? "\"" + std::string(name) + "\"" : ContentTypeText(object)) +
           " is broken";
}

std::string DeclaredFileName(GMimeObject* object) {
    if (const char* name = g_mime_object_get_content_disposition_parameter(object, "filename")) {
        return name;
    }
    return Text(g_mime_object_get_content_type_parameter(object, "name"));
}

bool IsText(GMimeObject* object) {
    GMimeContentType* type = g_mime_object_get_content_type(object);
    return type == nullptr || g_mime_content_type_is_type(type, "text", "*");
}

// A leaf that is read as text rather than saved as a file.
bool IsTextBody(GMimeObject* object) {
    if (!GMIME_IS_TEXT_PART(object) || !IsText(object)) return false;
    GMimePart* part = GMIME_PART(object);
    return !g_mime_part_is_attachment(part) && g_mime_part_get_filename(part) == nullptr;
}

std::string TextOf(GMimeObject* object) {
    GCharPtr text(g_mime_text_part_get_text(GMIME_TEXT_PART(object)));
    return Text(text.get());
}

void AddAttachment(MimeMessage::Impl& impl, GMimeObject* object) {
    MimePart part;
    part.kind = MimePartKind::Attachment;
    part.fileName = GMIME_IS_PART(object) ? Text(g_mime_part_get_filename(GMIME_PART(object)))
                                          : DeclaredFileName(object);
    part.contentType = ContentTypeText(object);
    impl.parts.push_back(std::move(part));
    g_object_ref(object);
    impl.partObjects.emplace_back(object);
}

void AddParts(MimeMessage::Impl& impl, GMimeObject* object, int depth) {
    if (object == nullptr || !impl.unreadable.empty()) return;
    if (depth > kMaxNesting) {
        impl.unreadable =
            "The message nests its parts more than " + std::to_string(kMaxNesting) + " levels deep";
        return;
    }
    if (const std::string damage = DamagedEncoding(object); !damage.empty()) {
        impl.unreadable = damage;
        return;
    }
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart* multipart = GMIME_MULTIPART(object);
        const int count = g_mime_multipart_get_count(multipart);
        for (int i = 0; i < count; ++i) {
            AddParts(impl, g_mime_multipart_get_part(multipart, i), depth + 1);
        }
    } else if (IsTextBody(object)) {
        MimePart part;
        part.kind = MimePartKind::Text;
        part.contentType = ContentTypeText(object);
        part.lines = SplitMemoLines(TextOf(object));
        impl.parts.push_back(std::move(part));
        impl.partObjects.emplace_back(nullptr);
    } else {
        // Files of every kind, embedded messages (message/rfc822) among them.
        AddAttachment(impl, object);
    }
}

void ReadStructure(MimeMessage::Impl& impl) {
    GMimeObject* root = g_mime_message_get_mime_part(impl.message.get());
    if (root == nullptr) return;
    if (GMIME_IS_MULTIPART(root)) {
        impl.preamble = Text(g_mime_multipart_get_prologue(GMIME_MULTIPART(root)));
        impl.bodyText = impl.preamble;
        AddParts(impl, root, 0);
    } else if (IsTextBody(root)) {
        impl.unreadable = DamagedEncoding(root);
        impl.bodyText = TextOf(root);
    } else {
        AddParts(impl, root, 0);
    }
}

std::unique_ptr<MimeMessage::Impl> Parse(GMimeStream* stream, bool decode, std::string& error) {
    auto impl = std::make_unique<MimeMessage::Impl>();
    impl->source.reset(stream);
    impl->decode = decode;
    GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream));
    impl->message.reset(g_mime_parser_construct_message(parser.get(), nullptr));
    if (!impl->message) {
        if (decode) {
            error = "The message could not be read as a mail message";
            return nullptr;
        }
        return impl;  // the raw text is still the body
    }
    GMimeObject* object = GMIME_OBJECT(impl->message.get());
    impl->subject = Text(g_mime_message_get_subject(impl->message.get()));
    impl->date = Text(g_mime_object_get_header(object, "Date"));
    GCharPtr headers(g_mime_object_get_headers(object, nullptr));
    impl->headerText = Text(headers.get());
    if (decode) {
        ReadStructure(*impl);
        if (!impl->unreadable.empty()) {
            error = impl->unreadable;
            return nullptr;
        }
    }
    return impl;
}

// A GMime stream over fd that leaves fd open.
GObjectPtr<GMimeStream> BorrowFd(int fd) {
    GObjectPtr<GMimeStream> stream(g_mime_stream_fs_new(fd));
    g_mime_stream_fs_set_owner(GMIME_STREAM_FS(stream.get()), FALSE);
    return stream;
}

bool Finish(GMimeStream* out, ssize_t written, std::string& error) {
    if (written < 0 || g_mime_stream_flush(out) != 0) {
        error = std::string("Writing failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<MimeMessage> MimeMessage::ReadFile(const std::string& path, bool decode,
                                                   std::string& error) {
    EnsureGMime();
    GError* failure = nullptr;
    GMimeStream* stream = g_mime_stream_fs_open(path.c_str(), O_RDONLY, 0, &failure);
    if (stream == nullptr) {
        error = "Cannot read " + path + ": " + (failure != nullptr ? failure->message : "");
        if (failure != nullptr) g_error_free(failure);
        return nullptr;
    }
    auto impl = Parse(stream, decode, error);
    if (!impl) return nullptr;
    return std::unique_ptr<MimeMessage>(new MimeMessage(std::move(impl)));
}

std::unique_ptr<MimeMessage> MimeMessage::ReadBytes(std::string_view bytes, bool decode,
                                                    std::string& error) {
    EnsureGMime();
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size());
    auto impl = Parse(stream, decode, error);
    if (!impl) return nullptr;
    return std::unique_ptr<MimeMessage>(new MimeMessage(std::move(impl)));
}

MimeMessage::MimeMessage(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
MimeMessage::~MimeMessage() = default;

const std::string& MimeMessage::Subject() const {
    return impl_->subject;
}
const std::string& MimeMessage::Date() const {
    return impl_->date;
}
const std::string& MimeMessage::HeaderText() const {
    return impl_->headerText;
}
const std::string& MimeMessage::Preamble() const {
    return impl_->preamble;
}
const std::vector<MimePart>& MimeMessage::Parts() const {
    return impl_->parts;
}

std::vector<std::string> MimeMessage::BodyLines() const {
    if (impl_->decode) return SplitMemoLines(impl_->bodyText);
    GObjectPtr<GMimeStream> memory(g_mime_stream_mem_new());
    g_mime_stream_reset(impl_->source.get());
    g_mime_stream_write_to_stream(impl_->source.get(), memory.get());
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory.get()));
    return SplitMemoLines(std::string_view(reinterpret_cast<const char*>(bytes->data), bytes->len));
}

bool MimeMessage::WriteBody(int fd, std::string& error) const {
    GObjectPtr<GMimeStream> out = BorrowFd(fd);
    if (impl_->decode) {
        const std::string& text = impl_->bodyText;
        return Finish(out.get(), g_mime_stream_write(out.get(), text.data(), text.size()), error);
    }
    if (g_mime_stream_reset(impl_->source.get()) != 0) {
        error = "The message cannot be read again";
        return false;
    }
    return Finish(out.get(), g_mime_stream_write_to_stream(impl_->source.get(), out.get()), error);
}

bool MimeMessage::SaveAttachment(size_t index, int fd, std::string& error) const {
    if (index >= impl_->parts.size() || impl_->parts[index].kind != MimePartKind::Attachment) {
        error = "No attachment " + std::to_string(index);
        return false;
    }
    GMimeObject* object = impl_->partObjects[index].get();
    GObjectPtr<GMimeStream> out = BorrowFd(fd);
    if (GMIME_IS_PART(object)) {
        GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(object));
        if (content == nullptr) return Finish(out.get(), 0, error);  // an empty part
        return Finish(out.get(), g_mime_data_wrapper_write_to_stream(content, out.get()), error);
    }
    if (GMIME_IS_MESSAGE_PART(object)) {
        GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
        if (inner == nullptr) return Finish(out.get(), 0, error);
        return Finish(out.get(),
                      g_mime_object_write_to_stream(GMIME_OBJECT(inner), nullptr, out.get()),
                      error);
    }
    error = "The attachment has no content that can be saved";
    return false;
}

}  // namespace ferrolin

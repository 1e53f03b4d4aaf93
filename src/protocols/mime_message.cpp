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
};

namespace {

// Deeper nesting than this is no real mail; its inner parts are ignored.
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
    if (object == nullptr || depth > kMaxNesting) return;
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
    if (decode) ReadStructure(*impl);
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

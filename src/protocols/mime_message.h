#pragma once
// One mail message read from a file (as a POP3 retrieval stored it) or from memory: its
// subject, date, headers, body and parts. Attachments are decoded (base64, quoted-printable,
// ...) straight into a file descriptor, so their size never shows in memory.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

enum class MimePartKind { Text, Attachment };

struct MimePart {
    MimePartKind kind = MimePartKind::Text;
    // An attachment's file name exactly as the message gives it: may be empty or hostile
    // (pass it through SafeAttachmentName before using it as a path).
    std::string fileName;
    // "text/plain", "application/pdf", ...
    std::string contentType;
    // A text part: its text, decoded and converted to UTF-8, split into lines.
    std::vector<std::string> lines;
};

class MimeMessage {
  public:
    // decode = false is the no-decode switch: the raw message becomes the body and no part
    // is split off (the headers are still read for the subject). Returns nothing and the
    // reason in error when the file cannot be read or (with decode) is no mail message.
    static std::unique_ptr<MimeMessage> ReadFile(const std::string& path, bool decode,
                                                 std::string& error);
    static std::unique_ptr<MimeMessage> ReadBytes(std::string_view bytes, bool decode,
                                                  std::string& error);
    ~MimeMessage();
    MimeMessage(const MimeMessage&) = delete;
    MimeMessage& operator=(const MimeMessage&) = delete;

    // Decoded to UTF-8; "" when the message has none.
    const std::string& Subject() const;
    // The Date header as the message gives it.
    const std::string& Date() const;
    // All header lines of the message.
    const std::string& HeaderText() const;
    // The text before the first part of a multipart message ("" otherwise).
    const std::string& Preamble() const;

    // The body: the raw message (no-decode); the text of a single-part text message; the
    // preamble of a multipart message. WriteBody streams it without holding it whole.
    std::vector<std::string> BodyLines() const;
    bool WriteBody(int fd, std::string& error) const;

    // Text parts and attachments in message order, nested multiparts flattened. A text/*
    // part that is marked as an attachment or carries a file name is an attachment. Empty
    // with the no-decode switch, and for a single-part text message (that is the body).
    const std::vector<MimePart>& Parts() const;
    // Writes the decoded content of attachment Parts()[index] to fd.
    bool SaveAttachment(size_t index, int fd, std::string& error) const;

    struct Impl;

  private:
    explicit MimeMessage(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace ferrolin

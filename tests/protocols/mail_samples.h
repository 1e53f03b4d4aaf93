#pragma once
// Mail messages for the POP3 and MIME tests, built the way mail programs send them.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ferrolin::test {

inline std::string Base64(std::string_view data, size_t lineLength = 76) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t column = 0;
    for (size_t i = 0; i < data.size(); i += 3) {
        uint32_t chunk = static_cast<uint8_t>(data[i]) << 16;
        if (i + 1 < data.size()) chunk |= static_cast<uint8_t>(data[i + 1]) << 8;
        if (i + 2 < data.size()) chunk |= static_cast<uint8_t>(data[i + 2]);
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += i + 1 < data.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < data.size() ? kAlphabet[chunk & 63] : '=';
        column += 4;
        if (column >= lineLength) {
            out += '\n';
            column = 0;
        }
    }
    if (column > 0) out += '\n';
    return out;
}

// Every byte value, several times: shows any byte the decoding changes.
inline std::string BinaryContent(size_t size) {
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return content;
}

inline const std::string kPlainMail =
    "From: Sender <sender@example.org>\n"
    "To: station@example.org\n"
    "Subject: Daily report\n"
    "Date: Tue, 08 Dec 2026 10:00:00 +0100\n"
    "\n"
    "First line\n"
    "Sent from the field office\n"
    ".a line starting with a dot\n"
    "Last line\n";

// The text of a quoted-printable attachment and its encoded form (whose last line break
// belongs to the boundary line after it).
inline const std::string kQuotedText =
    "Gr\xC3\xBC\xC3\x9F"
    "e = greetings\nsecond line";
inline const std::string kQuotedEncoded = "Gr=C3=BC=C3=9Fe =3D greetings\nsecond line\n";

// A multipart/mixed message: a preamble, a text part, a base64 binary attachment and a
// quoted-printable text attachment.
inline std::string TwoAttachmentMail(const std::string& binary, const std::string& binaryName,
                                     const std::string& textName = "notes.txt") {
    return "From: sender@example.org\n"
           "Subject: =?UTF-8?Q?Lieferung_f=C3=BCr_heute?=\n"
           "Date: Tue, 08 Dec 2026 11:00:00 +0100\n"
           "MIME-Version: 1.0\n"
           "Content-Type: multipart/mixed; boundary=\"BOUNDARY\"\n"
           "\n"
           "This is a multi-part message in MIME format.\n"
           "--BOUNDARY\n"
           "Content-Type: text/plain; charset=utf-8\n"
           "\n"
           "See the files.\n"
           "Regards\n"
           "--BOUNDARY\n"
           "Content-Type: application/octet-stream; name=\"" +
           binaryName +
           "\"\n"
           "Content-Transfer-Encoding: base64\n"
           "Content-Disposition: attachment; filename=\"" +
           binaryName +
           "\"\n"
           "\n" +
           Base64(binary) +
           "--BOUNDARY\n"
           "Content-Type: text/plain; charset=utf-8\n"
           "Content-Transfer-Encoding: quoted-printable\n"
           "Content-Disposition: attachment; filename=\"" +
           textName +
           "\"\n"
           "\n" +
           kQuotedEncoded + "--BOUNDARY--\n";
}

// A mail whose attachments are the given (name, content) pairs, each base64.
inline std::string AttachmentsMail(const std::string& subject,
                                   const std::vector<std::pair<std::string, std::string>>& files) {
    std::string mail = "Subject: " + subject +
                       "\nMIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=B\n\n";
    for (const auto& [name, content] : files)
        mail +=
            "--B\nContent-Type: application/octet-stream\nContent-Transfer-Encoding: "
            "base64\nContent-Disposition: attachment; filename=\"" +
            name + "\"\n\n" + Base64(content);
    return mail + "--B--\n";
}

}  // namespace ferrolin::test

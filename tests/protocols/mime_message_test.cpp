#include "protocols/mime_message.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/unique_fd.h"
#include "protocols/mail_samples.h"
#include "protocols/memory_probe.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::ReadFile;
using test::TempDir;

platform::UniqueFd CreateFile(const std::string& path) {
    return platform::UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

std::string SavedAttachment(const MimeMessage& message, size_t index, const TempDir& dir) {
    const std::string path = dir / ("part" + std::to_string(index));
    platform::UniqueFd fd = CreateFile(path);
    std::string error;
    EXPECT_TRUE(message.SaveAttachment(index, fd.get(), error)) << error;
    return ReadFile(path);
}

std::unique_ptr<MimeMessage> Read(const std::string& text, bool decode = true) {
    std::string error;
    auto message = MimeMessage::ReadBytes(text, decode, error);
    EXPECT_TRUE(message) << error;
    return message;
}

TEST(MimeMessage, PlainMailGivesSubjectDateHeadersAndBodyLines) {
    auto message = Read(test::kPlainMail);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->Subject(), "Daily report");
    EXPECT_EQ(message->Date(), "Tue, 08 Dec 2026 10:00:00 +0100");
    EXPECT_NE(message->HeaderText().find("To: station@example.org"), std::string::npos);
    EXPECT_EQ(message->BodyLines(),
              (std::vector<std::string>{"First line", "Sent from the field office",
                                        ".a line starting with a dot", "Last line"}));
    EXPECT_TRUE(message->Parts().empty());
    EXPECT_TRUE(message->Preamble().empty());
}

TEST(MimeMessage, AttachmentsDecodeByteForByteIntoFilesTextPartsIntoLines) {
    TempDir dir;
    const std::string binary = test::BinaryContent(100000);
    test::WriteFile(dir / "mail.eml", test::TwoAttachmentMail(binary, "data.bin"));
    std::string error;
    auto message = MimeMessage::ReadFile(dir / "mail.eml", true, error);
    ASSERT_TRUE(message) << error;

    EXPECT_EQ(message->Subject(), "Lieferung f\xC3\xBCr heute");
    EXPECT_EQ(message->Preamble(), "This is a multi-part message in MIME format.");
    EXPECT_EQ(message->BodyLines(),
              std::vector<std::string>{"This is a multi-part message in MIME format."});

    const auto& parts = message->Parts();
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0].kind, MimePartKind::Text);
    EXPECT_EQ(parts[0].lines, (std::vector<std::string>{"See the files.", "Regards"}));
    EXPECT_EQ(parts[1].kind, MimePartKind::Attachment);
    EXPECT_EQ(parts[1].fileName, "data.bin");
    EXPECT_EQ(parts[1].contentType, "application/octet-stream");
    // A text/plain part with a file name is a file, not a body.
    EXPECT_EQ(parts[2].kind, MimePartKind::Attachment);
    EXPECT_EQ(parts[2].fileName, "notes.txt");

    EXPECT_EQ(SavedAttachment(*message, 1, dir), binary);
    EXPECT_EQ(SavedAttachment(*message, 2, dir), test::kQuotedText);
    // A text part is no attachment.
    EXPECT_FALSE(message->SaveAttachment(0, 1, error));
}

TEST(MimeMessage, NestedAlternativesInlineImagesAndEmbeddedMessagesAreFlattened) {
    const std::string mail =
        "Subject: nested\n"
        "MIME-Version: 1.0\n"
        "Content-Type: multipart/mixed; boundary=outer\n"
        "\n"
        "--outer\n"
        "Content-Type: multipart/alternative; boundary=inner\n"
        "\n"
        "--inner\n"
        "Content-Type: text/plain\n"
        "\n"
        "plain version\n"
        "--inner\n"
        "Content-Type: text/html\n"
        "\n"
        "<p>html version</p>\n"
        "--inner--\n"
        "--outer\n"
        "Content-Type: image/png\n"
        "Content-Transfer-Encoding: base64\n"
        "\n" +
        test::Base64("\x89PNG data") +
        "--outer\n"
        "Content-Type: message/rfc822\n"
        "Content-Disposition: attachment; filename=\"forwarded.eml\"\n"
        "\n"
        "Subject: inner mail\n"
        "\n"
        "inner body\n"
        "--outer--\n";
    TempDir dir;
    auto message = Read(mail);
    ASSERT_TRUE(message);
    const auto& parts = message->Parts();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].lines, std::vector<std::string>{"plain version"});
    EXPECT_EQ(parts[1].contentType, "text/html");
    EXPECT_EQ(parts[1].kind, MimePartKind::Text);
    // An image without a name is still a file; the caller gives it a name.
    EXPECT_EQ(parts[2].kind, MimePartKind::Attachment);
    EXPECT_EQ(parts[2].fileName, "");
    EXPECT_EQ(SavedAttachment(*message, 2, dir), "\x89PNG data");
    EXPECT_EQ(parts[3].kind, MimePartKind::Attachment);
    EXPECT_EQ(parts[3].fileName, "forwarded.eml");
    EXPECT_NE(SavedAttachment(*message, 3, dir).find("inner body"), std::string::npos);
}

TEST(MimeMessage, NoDecodeKeepsTheRawMessageAsBodyAndSplitsNothing) {
    TempDir dir;
    const std::string mail = test::TwoAttachmentMail("binary\x01\x02", "data.bin");
    test::WriteFile(dir / "mail.eml", mail);
    std::string error;
    auto message = MimeMessage::ReadFile(dir / "mail.eml", false, error);
    ASSERT_TRUE(message) << error;
    EXPECT_EQ(message->Subject(), "Lieferung f\xC3\xBCr heute");
    EXPECT_TRUE(message->Parts().empty());
    EXPECT_EQ(message->BodyLines().front(), "From: sender@example.org");
    EXPECT_EQ(message->BodyLines().size(),
              static_cast<size_t>(std::count(mail.begin(), mail.end(), '\n')));

    platform::UniqueFd fd = CreateFile(dir / "body");
    ASSERT_TRUE(message->WriteBody(fd.get(), error)) << error;
    EXPECT_EQ(ReadFile(dir / "body"), mail);
}

TEST(MimeMessage, HostileAttachmentNamesAreReportedAsGiven) {
    // Cleaning is the caller's business (SafeAttachmentName); the reader must not hide them.
    auto message = Read(test::TwoAttachmentMail("x", "../../etc/passwd", "..\\\\boot.ini"));
    ASSERT_TRUE(message);
    ASSERT_EQ(message->Parts().size(), 3u);
    EXPECT_EQ(message->Parts()[1].fileName, "../../etc/passwd");
    EXPECT_EQ(message->Parts()[2].fileName, "..\\boot.ini");
}

TEST(MimeMessage, MalformedMessagesNeverCrash) {
    const std::string broken[] = {
        "",
        "\n\n\n",
        "no header at all, just text",
        "Content-Type: multipart/mixed; boundary=x\n\n--x\nContent-Type: text/plain\n\nunended",
        "Content-Type: multipart/mixed\n\nno boundary parameter\n",
        "Content-Type: multipart/mixed; boundary=\"\"\n\n--\n--\n",
        "Content-Type: application/octet-stream\nContent-Transfer-Encoding: base64\n\n!!!@@@###\n",
        "Content-Type: text/plain\nContent-Transfer-Encoding: quoted-printable\n\n=ZZ=\n=",
        "Content-Type: text/plain; charset=no-such-charset\n\n\xFF\xFE text\n",
        "Subject: =?UTF-8?B?broken?=\n\nbody",
        std::string(1000, '\0'),
    };
    TempDir dir;
    for (const std::string& text : broken) {
        for (bool decode : {true, false}) {
            std::string error;
            auto message = MimeMessage::ReadBytes(text, decode, error);
            if (!message) {
                EXPECT_FALSE(error.empty());
                continue;
            }
            message->BodyLines();
            for (size_t i = 0; i < message->Parts().size(); ++i) {
                if (message->Parts()[i].kind == MimePartKind::Attachment) {
                    SavedAttachment(*message, i, dir);
                }
            }
        }
    }
    std::string error;
    EXPECT_FALSE(MimeMessage::ReadFile(dir / "missing.eml", true, error));
    EXPECT_NE(error.find("missing.eml"), std::string::npos);
}

TEST(MimeMessage, LargeAttachmentDecodesWithFlatMemory) {
    TempDir dir;
    constexpr size_t kPiece = 57 * 1024;  // whole base64 lines
    constexpr size_t kPieces = (size_t{200} << 20) / kPiece;
    {
        // Written piece by piece: the test itself must not hold 200 MiB either.
        std::ofstream out(dir / "big.eml", std::ios::binary);
        out << "Subject: big\nMIME-Version: 1.0\n"
               "Content-Type: multipart/mixed; boundary=B\n\n--B\n"
               "Content-Type: application/octet-stream\n"
               "Content-Transfer-Encoding: base64\n"
               "Content-Disposition: attachment; filename=big.bin\n\n";
        const std::string piece = test::Base64(test::BinaryContent(kPiece));
        for (size_t i = 0; i < kPieces; ++i) out << piece;
        out << "--B--\n";
    }
    const long before = test::CurrentMemoryKiB();
    ASSERT_TRUE(test::ResetPeakMemory());
    std::string error;
    auto message = MimeMessage::ReadFile(dir / "big.eml", true, error);
    ASSERT_TRUE(message) << error;
    ASSERT_EQ(message->Parts().size(), 1u);
    platform::UniqueFd fd = CreateFile(dir / "big.bin");
    ASSERT_TRUE(message->SaveAttachment(0, fd.get(), error)) << error;
    const long growth = test::PeakMemoryKiB() - before;
    EXPECT_LT(growth, 32 * 1024) << "peak memory grew by " << growth << " KiB";

    struct stat info {};
    ASSERT_EQ(::stat((dir / "big.bin").c_str(), &info), 0);
    EXPECT_EQ(static_cast<size_t>(info.st_size), kPieces * kPiece);
}

// A message whose parts cannot all be reached or decoded as sent is no message: storing
// the rest would pass it for complete.
TEST(MimeMessage, PartsTooDeepOrBrokenBase64MakeTheMessageUnreadable) {
    const auto nested = [](int levels, const std::string& leaf) {
        std::string text = "Subject: deep\nMIME-Version: 1.0\n";
        for (int i = 0; i < levels; ++i)
            text += "Content-Type: multipart/mixed; boundary=\"b" + std::to_string(i) +
                    "\"\n\n--b" + std::to_string(i) + "\n";
        text += leaf;
        for (int i = levels - 1; i >= 0; --i) text += "--b" + std::to_string(i) + "--\n";
        return text;
    };
    const auto base64Part = [](const std::string& encoded, const char* type = "application/pdf") {
        return std::string("Content-Type: ") + type +
               "; name=\"a.pdf\"\nContent-Transfer-Encoding: base64\n\n" + encoded + "\n";
    };
    struct Case {
        std::string text;
        std::string problem;  // empty: readable
    };
    const Case cases[] = {
        {nested(60, base64Part("QUJD")), ""},
        {nested(70, base64Part("QUJD")), "more than 64 levels"},
        {base64Part("QUJD\nREVG\n"), ""},
        {base64Part("QUI="), ""},
        {base64Part("QUI"), ""},  // padding left out: still whole
        {base64Part("!!!@@@###"), "base64"},
        {base64Part("QUJDR"), "base64"},  // a group cut to one letter
        {base64Part("QQ==QUJD"), "base64"},
        {base64Part("QUJ*RA=="), "base64"},
        {nested(2, base64Part("QU=JD")), "base64"},
        {"Subject: s\n" + base64Part("SGVsbG8-", "text/plain"), "base64"},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto message = MimeMessage::ReadBytes(c.text, true, error);
        if (c.problem.empty()) {
            ASSERT_TRUE(message) << error << "\n" << c.text.substr(0, 200);
            ASSERT_FALSE(message->Parts().empty());
            EXPECT_EQ(message->Parts().back().fileName, "a.pdf");
        } else {
            EXPECT_FALSE(message) << c.text.substr(0, 200);
            EXPECT_NE(error.find(c.problem), std::string::npos) << error;
        }
        // Without decoding nothing is split off, so nothing is missed.
        EXPECT_TRUE(MimeMessage::ReadBytes(c.text, false, error)) << error;
    }
}

// A decoded part that cannot be written whole is a failure, also where only the write
// fails (a file-size limit) and a flush afterwards would succeed.
TEST(MimeMessage, AFailedWriteOfADecodedPartIsReported) {
    TempDir dir;
    const std::string binary = test::BinaryContent(200000);
    std::string error;
    auto message = MimeMessage::ReadBytes(test::TwoAttachmentMail(binary, "data.bin"), true, error);
    ASSERT_TRUE(message) << error;
    const std::string path = dir / "limited.bin";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        platform::UniqueFd fd = CreateFile(path);
        std::string why;
        const bool saved = message->SaveAttachment(1, fd.get(), why);
        _exit(saved ? 0 : why.rfind("Writing failed: ", 0) == 0 ? 3 : 4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(std::filesystem::file_size(path), 64u * 1024);
}

}  // namespace
}  // namespace ferrolin

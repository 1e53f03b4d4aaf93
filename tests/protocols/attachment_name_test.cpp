#include "protocols/attachment_name.h"

#include <gtest/gtest.h>

namespace ferrolin {
namespace {

TEST(AttachmentName, NamesThatCouldLeaveTheFolderKeepOnlyTheirLastPart) {
    struct Case {
        std::string given;
        std::string expected;
    };
    const Case cases[] = {
        {"../../etc/passwd", "passwd"},
        {"/etc/cron.d/job", "job"},
        {"..\\..\\Windows\\system.ini", "system.ini"},
        {"C:\\Users\\x\\report.pdf", "report.pdf"},
        {"a/b\\c/d.txt", "d.txt"},
        {"dir/..", "Attachment 1.bin"},
        {"dir/", "Attachment 1.bin"},
        {"..", "Attachment 1.bin"},
        {".", "Attachment 1.bin"},
        {"", "Attachment 1.bin"},
        {"\n\t\x01", "Attachment 1.bin"},
        {".\x01.", "Attachment 1.bin"},
        {"evil\nname\r.txt", "evilname.txt"},
        {"bell\x07\x7F.doc", "bell.doc"},
    };
    for (const Case& c : cases) {
        const AttachmentName safe = SafeAttachmentName(c.given, "Attachment 1.bin");
        EXPECT_EQ(safe.name, c.expected) << "given: " << c.given;
        EXPECT_TRUE(safe.changed) << "given: " << c.given;
    }
}

TEST(AttachmentName, OrdinaryNamesStayAsTheyAre) {
    for (const std::string name : {"report.pdf", "...", "..hidden", "Grüße 2026.txt",
                                   "a name with blanks .txt", "-dash", "x.tar.gz"}) {
        const AttachmentName safe = SafeAttachmentName(name, "generated");
        EXPECT_EQ(safe.name, name);
        EXPECT_FALSE(safe.changed) << name;
    }
}

TEST(AttachmentName, OverlongNamesAreCutKeepingExtensionAndWholeCharacters) {
    // 200 two-byte characters: 400 bytes.
    std::string stem;
    for (int i = 0; i < 200; ++i) stem += "\xC3\xBC";
    const AttachmentName safe = SafeAttachmentName(stem + ".pdf", "generated");
    EXPECT_TRUE(safe.changed);
    EXPECT_LE(safe.name.size(), kMaxFileNameBytes);
    EXPECT_EQ(safe.name.substr(safe.name.size() - 4), ".pdf");
    // The cut fell between characters: the stem is whole pairs.
    EXPECT_EQ((safe.name.size() - 4) % 2, 0u);
    EXPECT_GT(safe.name.size(), kMaxFileNameBytes - 2);

    const AttachmentName noExtension = SafeAttachmentName(std::string(300, 'x'), "generated");
    EXPECT_EQ(noExtension.name, std::string(kMaxFileNameBytes, 'x'));
}

}  // namespace
}  // namespace ferrolin

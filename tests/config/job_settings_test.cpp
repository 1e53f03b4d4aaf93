// Plain setting values against what each kind accepts and how it is stored and shown.
#include "config/job_settings.h"

#include <gtest/gtest.h>

namespace ferrolin {
namespace {

TEST(JobSettings, ValuesAreStoredAndShownByKind) {
    struct Case {
        const char* setting;
        const char* plain;
        const char* stored;  // null: refused
        const char* shown;
    };
    const std::vector<Case> cases = {
        {"mode", "Mirror", "3", "mirror"},
        {"mode", "4", "4", "shortcuts"},
        {"mode", "5", nullptr, ""},
        {"mode", "newest", nullptr, ""},
        {"timeout", "60", "2", "60"},
        {"timeout", "2", nullptr, ""},
        {"recursive", "on", "1", "yes"},
        {"recursive", "False", "0", "no"},
        {"recursive", "2", nullptr, ""},
        {"CopyMode", "only-newer", "1", "only-newer"},
        {"delete-delay", " 14 ", "14", "14"},
        {"delete-delay", "1.5", nullptr, ""},
        {"rate-limit", "0.5", "0.5", "0.5"},
        {"rate-limit", "1e3", nullptr, ""},
        {"mask", "*.mpg", "*.mpg", ""},
        {"mask", "sub/*.mpg", nullptr, ""},
        {"name", "Night; news", "Night; news", "Night; news"},
        {"dest", "/out", "/out", "/out"},
        {"ssh-key-file", "/etc/keys/id_ed25519", "/etc/keys/id_ed25519", "/etc/keys/id_ed25519"},
        {"SshKeyFile", "k", "k", "k"},
        {"max-delete", " 25% ", "25%", "25%"},
        {"max-delete", "", "", ""},
        {"MaxDelete", "40", "40", "40"},
        {"max-delete", "120%", nullptr, ""},
        {"max-delete", "-3", nullptr, ""},
        {"settle-seconds", "90", "90", "90"},
        {"settle-seconds", "65536", nullptr, ""},
        {"settle-seconds", "", nullptr, ""},
        {"allow-empty-source", "yes", "1", "yes"},
    };
    for (const Case& c : cases) {
        const JobSetting* setting = FindJobSetting(c.setting);
        ASSERT_NE(setting, nullptr) << c.setting;
        const StoredValue value = StoreSettingValue(*setting, c.plain);
        if (c.stored == nullptr) {
            EXPECT_NE(value.problem, "") << c.setting << "=" << c.plain;
            EXPECT_NE(value.problem.find(AllowedValues(*setting)), std::string::npos);
            continue;
        }
        EXPECT_EQ(value.problem, "") << c.setting << "=" << c.plain;
        EXPECT_EQ(value.stored, c.stored) << c.setting << "=" << c.plain;
        if (setting->kind != SettingKind::Mask) {
            EXPECT_EQ(ShowSettingValue(*setting, value.stored), c.shown) << c.setting;
        }
    }
    EXPECT_EQ(ShowSettingValue(*FindJobSetting("recursive"), "7"), "yes");
    EXPECT_EQ(ShowSettingValue(*FindJobSetting("source-password"), "x"), "(set)");
    EXPECT_EQ(FindJobSetting("password"), nullptr);
}

TEST(JobSettings, MaskIsTheLastPartOfAFolderSource) {
    struct Case {
        const char* source;
        const char* mask;
        const char* newMask;
        const char* result;
    };
    const std::vector<Case> cases = {
        {"/in/clips", "", "*.mpg", "/in/clips/*.mpg"},
        {"/in/clips/", "", "*.ts", "/in/clips/*.ts"},
        {"/in/clips/*.mpg", "*.mpg", "*.ts", "/in/clips/*.ts"},
        {"/in/clips/*.mpg", "*.mpg", "", "/in/clips"},
        {"/", "", "*.*", "/*.*"},
        {"ftp://host/in.d", "", "*.x", "ftp://host/in.d/*.x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SourceMask(c.source), c.mask) << c.source;
        EXPECT_EQ(WithSourceMask(c.source, c.newMask), c.result) << c.source;
    }
}

}  // namespace
}  // namespace ferrolin

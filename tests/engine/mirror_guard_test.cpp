// The deletion guard's decision, and the limit it reads from MaxDelete.
#include <gtest/gtest.h>

#include "config/delete_limit.h"
#include "engine/guarded_delete.h"

namespace ferrolin {
namespace {

TEST(DeleteLimit, CountsSharesAndTextsThatAreNeither) {
    using K = DeleteLimit::Kind;
    struct Case {
        const char* text;
        std::optional<DeleteLimit> expected;
    };
    const std::vector<Case> cases = {
        {"", DeleteLimit{}},
        {"  ", DeleteLimit{}},
        {"0", DeleteLimit{K::Count, 0}},
        {" 40 ", DeleteLimit{K::Count, 40}},
        {"25%", DeleteLimit{K::Percent, 25}},
        {"100%", DeleteLimit{K::Percent, 100}},
        {"101%", std::nullopt},
        {"%", std::nullopt},
        {"-1", std::nullopt},
        {"+5", std::nullopt},
        {"2.5%", std::nullopt},
        {"25 %", std::nullopt},
        {"ten", std::nullopt},
        {"99999999999", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDeleteLimit(c.text), c.expected) << c.text;

    // A share rounds down, and never wraps round on a huge destination.
    EXPECT_EQ((DeleteLimit{K::Percent, 25}).Allowed(10), 2u);
    EXPECT_EQ((DeleteLimit{K::Percent, 100}).Allowed(7), 7u);
    EXPECT_EQ((DeleteLimit{K::Percent, 50}).Allowed(size_t{1} << 60), size_t{1} << 59);
}

TEST(MirrorGuard, DecidesOnListingEmptinessAndLimit) {
    using V = MirrorVerdict;
    struct Case {
        const char* what;
        bool complete;
        size_t sourceFiles, destinationFiles, deletions;
        bool allowEmpty;
        const char* maxDelete;
        V expected;
    };
    const std::vector<Case> cases = {
        {"ordinary", true, 5, 8, 3, false, "", V::Delete},
        {"nothing to delete", true, 0, 0, 0, false, "0", V::Delete},
        {"incomplete listing first", false, 0, 8, 8, true, "x", V::SourceIncomplete},
        {"incomplete, nothing to delete", false, 5, 5, 0, false, "", V::SourceIncomplete},
        {"empty source", true, 0, 4, 4, false, "", V::SourceEmpty},
        {"empty source allowed", true, 0, 4, 4, true, "", V::Delete},
        {"empty allowed, still limited", true, 0, 4, 4, true, "3", V::TooMany},
        {"count reached", true, 5, 8, 3, false, "3", V::Delete},
        {"count passed", true, 5, 8, 4, false, "3", V::TooMany},
        {"zero allows none", true, 5, 8, 1, false, "0", V::TooMany},
        {"share reached", true, 6, 10, 2, false, "25%", V::Delete},
        {"share passed", true, 6, 10, 3, false, "25%", V::TooMany},
        {"unreadable limit", true, 6, 10, 1, false, "lots", V::LimitUnreadable},
    };
    for (const Case& c : cases) {
        TransferJob job;
        job.allowEmptySource = c.allowEmpty;
        job.maxDelete = c.maxDelete;
        MirrorCheck check;
        check.sourceComplete = c.complete;
        check.sourceFiles = c.sourceFiles;
        check.destinationFiles = c.destinationFiles;
        check.deletions = c.deletions;
        EXPECT_EQ(JudgeMirrorDeletions(job, check), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace ferrolin

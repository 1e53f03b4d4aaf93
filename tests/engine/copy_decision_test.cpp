#include "engine/copy_decision.h"

#include <gtest/gtest.h>

#include "files/file_copy.h"
#include "station/station.h"

namespace ferrolin {
namespace {

TEST(CopyDecision, FlagsFromModeRunAndOptions) {
    struct Case {
        uint8_t copyMode;
        bool useTempFile;
        uint8_t runMode;
        bool destEmpty;
        bool openFiles;
        int32_t expected;
    } cases[] = {
        {CM_NewerOrDifferentSize, true, RM_Unattended, false, false, 0},
        {CM_OnlyNewer, true, RM_Unattended, false, false, cfOnlyNewer},
        {CM_CopyAnyWay, true, RM_Unattended, false, false, cfForce},
        {CM_SourceIsMaster, true, RM_Unattended, false, false, 0},
        {CM_ShortCutsOnly, true, RM_Unattended, false, false, 0},
        {CM_NewerOrDifferentSize, true, RM_Interactive, false, false, cfAsk},
        {CM_NewerOrDifferentSize, false, RM_Unattended, false, false, cfNoTempFile},
        {CM_NewerOrDifferentSize, true, RM_Unattended, true, false, cfReadOnly},
        {CM_CopyAnyWay, false, RM_Interactive, true, true,
         cfForce | cfAsk | cfNoTempFile | cfReadOnly | cfOpenFiles},
    };
    for (const Case& c : cases) {
        TransferJob job;
        job.copyMode = c.copyMode;
        job.useTempFile = c.useTempFile;
        EXPECT_EQ(ChooseCopyFlags(job, c.runMode, c.destEmpty, c.openFiles), c.expected)
            << int(c.copyMode) << " " << int(c.runMode);
    }
}

TEST(CopyDecision, WriteModeFromBuffering) {
    EXPECT_EQ(ChooseWriteMode(1, false), wmUnbuffered);
    EXPECT_EQ(ChooseWriteMode(2, true), wmSystemCopy);
    EXPECT_EQ(ChooseWriteMode(0, true), wmUnbuffered);
    EXPECT_EQ(ChooseWriteMode(0, false), wmSystemCopy);
}

TEST(CopyDecision, ByteRateInMebibytesPerSecond) {
    struct Case {
        std::string text;
        std::optional<uint32_t> expected;
    } cases[] = {
        {"0", 0u},           {"1", 1048576u},       {"0.5", 524288u},   {"1,5", 1572864u},
        {" 2 ", 2097152u},   {"-1", 0u},            {"100000", 4294967295u},
        {"", std::nullopt},  {"fast", std::nullopt}, {"1.5MB", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(MaxBytesPerSecondFrom(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace ferrolin

#include "config/global_section.h"

#include <array>
#include <string>

namespace ferrolin {

namespace {

struct GlobalKey {
    const char* key;
    bool GlobalOptions::*flag = nullptr;
    std::string GlobalOptions::*text = nullptr;
    uint8_t GlobalOptions::*choice = nullptr;
    uint8_t itemCount = 0;
    // Written only when set or already stored: a file that never used it stays as it was.
    bool optional = false;
};

GlobalKey Flag(const char* key, bool GlobalOptions::*m) {
    return {key, m, nullptr, nullptr, 0};
}
GlobalKey Text(const char* key, std::string GlobalOptions::*m) {
    return {key, nullptr, m, nullptr, 0};
}
GlobalKey Choice(const char* key, uint8_t GlobalOptions::*m, uint8_t count) {
    return {key, nullptr, nullptr, m, count};
}
GlobalKey OptionalFlag(const char* key, bool GlobalOptions::*m) {
    return {key, m, nullptr, nullptr, 0, true};
}

const std::array<GlobalKey, 17>& GlobalKeys() {
    using G = GlobalOptions;
    static const std::array<GlobalKey, 17> keys = {
        Flag("Auto", &G::autoMode),
        Flag("RunMinimized", &G::runMinimized),
        Flag("CheckMPEGFiles", &G::checkMpegFiles),
        Flag("CopyCorruptFiles", &G::copyCorruptFiles),
        Flag("SpezialScan", &G::specialScan),
        Flag("AbsolutSendTime", &G::absoluteSendTime),
        Flag("LogEndStatistic", &G::logEndStatistic),
        Flag("SaveSuccessfulCopies", &G::logSuccessfulCopies),
        Flag("CopyOpenFiles", &G::copyOpenFiles),
        Flag("UploadInProgressCheck", &G::uploadInProgressCheck),
        Flag("CloseProgAfterJobs", &G::closeAfterJobs),
        Text("RebootAfterTimeout", &G::rebootAfterTimeout),
        Choice("TimeoutControl", &G::timeoutControl, 3),
        Flag("NoFTPDisconnect", &G::keepFtpConnected),
        Choice("SendTimeMode", &G::sendTimeMode, 2),
        Text("SendTimeSimpleInterval", &G::sendTimeSimpleInterval),
        OptionalFlag("DurableCopies", &G::durableCopies),
    };
    return keys;
}

}  // namespace

GlobalOptions ReadGlobalOptions(const ProfileFile& ini, const GlobalOptions& current) {
    GlobalOptions options = current;
    options.autoMode = false;
    for (const GlobalKey& k : GlobalKeys()) {
        if (k.flag != nullptr) {
            options.*k.flag = ini.ReadBool(kGlobalSection, k.key, options.*k.flag);
        } else if (k.text != nullptr) {
            options.*k.text = ini.ReadString(kGlobalSection, k.key, options.*k.text);
        } else {
            options.*k.choice =
                ini.ReadChoice(kGlobalSection, k.key, options.*k.choice, k.itemCount);
        }
    }
    return options;
}

void WriteGlobalOptions(ProfileFile& ini, const GlobalOptions& options) {
    ProfileFile::Batch batch(ini);
    for (const GlobalKey& k : GlobalKeys()) {
        if (k.optional && !(options.*k.flag) && !ini.ValueExists(kGlobalSection, k.key)) continue;
        if (k.flag != nullptr) {
            ini.WriteBool(kGlobalSection, k.key, options.*k.flag);
        } else if (k.text != nullptr) {
            ini.WriteString(kGlobalSection, k.key, options.*k.text);
        } else {
            ini.WriteInteger(kGlobalSection, k.key, options.*k.choice);
        }
    }
    batch.Commit();
}

std::vector<StoredKey> GlobalStoredKeys() {
    std::vector<StoredKey> keys{{kJobCountKey, StoredKind::Integer}};
    for (const GlobalKey& k : GlobalKeys()) {
        if (k.flag != nullptr) {
            keys.push_back({k.key, StoredKind::Flag});
        } else if (k.text != nullptr) {
            keys.push_back({k.key, StoredKind::Text});
        } else {
            keys.push_back({k.key, StoredKind::Choice, k.itemCount});
        }
    }
    return keys;
}

uint16_t ReadJobCount(const ProfileFile& ini) {
    return static_cast<uint16_t>(ini.ReadInteger(kGlobalSection, kJobCountKey, 0));
}

void WriteJobCount(ProfileFile& ini, size_t count) {
    ini.WriteInteger(kGlobalSection, kJobCountKey, static_cast<int64_t>(count));
}

}  // namespace ferrolin

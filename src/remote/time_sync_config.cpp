// The "InternetDateTimeSync" section of the configuration file.
#include <exception>

#include "config/profile_file.h"
#include "remote/time_sync.h"
#include "remote/time_sync_panel.h"

namespace ferrolin {

bool TimeSyncService::LoadConfigFrom(const std::string& iniFilename) {
    try {
        ProfileFile ini(iniFilename);
        // Read everything first, so a failure leaves all settings as they were.
        TimeSyncSettings loaded;
        loaded.Enable = ini.ReadBool(kTimeSyncSection, "Enable", Settings.Enable);
        loaded.Interval = ini.ReadString(kTimeSyncSection, "Interval", Settings.Interval);
        loaded.Server = ini.ReadString(kTimeSyncSection, "Server", Settings.Server);
        loaded.Protocol = ini.ReadChoice(kTimeSyncSection, "Protocol", 0,
                                         time_sync_panel::kProtocolItems.size());
        loaded.TimeOffset = ini.ReadString(kTimeSyncSection, "TimeOffset", Settings.TimeOffset);
        loaded.MaxCorrection =
            ini.ReadString(kTimeSyncSection, "MaxCorrection", Settings.MaxCorrection);
        if (ini.ReadError() != 0) return false;
        Settings = loaded;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TimeSyncService::SaveConfigTo(const std::string& iniFilename) {
    try {
        ProfileFile ini(iniFilename);
        ProfileFile::Batch batch(ini);
        ini.WriteBool(kTimeSyncSection, "Enable", Settings.Enable);
        ini.WriteString(kTimeSyncSection, "Interval", Settings.Interval);
        ini.WriteString(kTimeSyncSection, "Server", Settings.Server);
        ini.WriteInteger(kTimeSyncSection, "Protocol", Settings.Protocol);
        ini.WriteString(kTimeSyncSection, "TimeOffset", Settings.TimeOffset);
        ini.WriteString(kTimeSyncSection, "MaxCorrection", Settings.MaxCorrection);
        batch.Commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace ferrolin

#pragma once
// The weekday lists in the "Global" section of Ferrolin.INI.
#include <string>

#include "config/profile_file.h"
#include "schedule/send_time_editor.h"

namespace ferrolin {

class ConfigWeekdayListStore final : public WeekdayListStore {
public:
    ConfigWeekdayListStore(const std::string& iniFile, ProfileCache& cache) : file_(iniFile, cache) {}
    std::string Read(std::string_view key, std::string_view defaultValue) override {
        return file_.ReadString("Global", key, defaultValue);
    }
    // Throws ProfileWriteError when the file cannot be written.
    void Write(std::string_view key, std::string_view value) override {
        file_.WriteString("Global", key, value);
    }

private:
    ProfileFile file_;
};

}  // namespace ferrolin

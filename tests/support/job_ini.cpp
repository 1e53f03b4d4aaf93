#include "support/job_ini.h"

#include "support/temp_dir.h"

namespace ferrolin::test {

void WriteJobIni(const std::string& programDir, const IniKeys& global,
                 const std::vector<IniKeys>& jobs) {
    std::string text = "[Global]\r\nAnzKopfstellen=" + std::to_string(jobs.size()) + "\r\n";
    for (const auto& [key, value] : global) text += key + "=" + value + "\r\n";
    for (size_t n = 0; n < jobs.size(); ++n) {
        text += "[Kopf" + std::to_string(n) + "]\r\n";
        IniKeys keys = jobs[n];
        keys.try_emplace("Active", "1");
        keys.try_emplace("Name", "Job " + std::to_string(n));
        for (const auto& [key, value] : keys) text += key + "=" + value + "\r\n";
    }
    WriteFile(programDir + "/Ferrolin.INI", text);
}

}  // namespace ferrolin::test

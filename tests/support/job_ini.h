#pragma once
// Writes a Ferrolin.INI for a test: the Global section and one Kopf<N> section per job,
// each given as key=value pairs. Jobs are checked ("Active=1") unless a job says otherwise.
#include <map>
#include <string>
#include <vector>

namespace ferrolin::test {

using IniKeys = std::map<std::string, std::string>;

void WriteJobIni(const std::string& programDir, const IniKeys& global,
                 const std::vector<IniKeys>& jobs);

}  // namespace ferrolin::test

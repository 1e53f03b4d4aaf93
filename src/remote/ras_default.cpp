#include "remote/ras_default.h"

#include "config/profile_file.h"

namespace ferrolin {

namespace {
std::string KestRasIni(const std::string& programDir) { return programDir + "/KestRas.INI"; }
}  // namespace

std::string ReadRasDefault(const std::string& programDir) {
    return ProfileFile(KestRasIni(programDir)).ReadString("RAS", "DefaultCon", "");
}

void WriteRasDefault(const std::string& programDir, const std::string& entry) {
    ProfileFile(KestRasIni(programDir)).WriteString("RAS", "DefaultCon", entry);
}

}  // namespace ferrolin

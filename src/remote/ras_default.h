#pragma once
// The default dial-up entry the dial-up window stores: KestRas.INI in the program folder,
// section "RAS", key "DefaultCon". It is only shown, never dialled by itself.
#include <string>

namespace ferrolin {

std::string ReadRasDefault(const std::string& programDir);
// Throws ProfileWriteError when the file cannot be written.
void WriteRasDefault(const std::string& programDir, const std::string& entry);

}  // namespace ferrolin

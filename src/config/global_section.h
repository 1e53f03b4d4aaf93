#pragma once
// The "Global" section: the program-wide options and the job count.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "config/global_options.h"
#include "config/profile_file.h"
#include "config/stored_key.h"

namespace ferrolin {

inline constexpr char kGlobalSection[] = "Global";
inline constexpr char kJobCountKey[] = "AnzKopfstellen";

// Reads every option. A missing key keeps current's value, except Auto, which is false
// without its key (automatic mode is never switched on by default).
GlobalOptions ReadGlobalOptions(const ProfileFile& ini, const GlobalOptions& current);

// Writes every option (not the job count). Throws ProfileWriteError.
void WriteGlobalOptions(ProfileFile& ini, const GlobalOptions& options);

// AnzKopfstellen as an unsigned 16-bit number (so at most 65535 jobs); 0 when absent.
uint16_t ReadJobCount(const ProfileFile& ini);

// Every key of the section as stored, the job count first (the weekday lists excepted).
std::vector<StoredKey> GlobalStoredKeys();
void WriteJobCount(ProfileFile& ini, size_t count);

}  // namespace ferrolin

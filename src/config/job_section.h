#pragma once
// A job's "Kopf<N>" section and the TransferJob record built from it.
#include <string>
#include <string_view>
#include <vector>

#include "config/profile_file.h"
#include "config/stored_key.h"
#include "config/transfer_job.h"

namespace ferrolin {

// "Kopf" followed by n in decimal.
std::string JobSectionName(int n);

// Reads section Kopf<n>. Missing keys take their fixed defaults, except AddTimeStampC,
// AddTimeStampE, PassiveMode, EMailSaveHeader and EMailSaveBody, which keep the value
// of previous (the editor shows one job at a time and leaves these as the last job had
// them). One trailing separator of SendeVerzeichnis is dropped ("/" stays "/"); a stored
// choice past the last item reads as the last item (ParsingType 7 is "Include Sub
// Directories"). active is not read: it is the job list's check mark, kept from previous.
TransferJob ReadJobSection(const ProfileFile& ini, int n, const TransferJob& previous);

// Writes every key of job into Kopf<n> except Active; AddTimeStampE only when
// AddTimeStampC is set. Choices are stored as their index. Throws ProfileWriteError.
void WriteJobSection(ProfileFile& ini, int n, const TransferJob& job);

// The stored choices of Kopf<n> outside their range, as "Key=value" (ParsingType excepted:
// any value of 2 or more is "Include Sub Directories"). ReadJobSection would read them as
// another choice; a run must not.
std::vector<std::string> OutOfRangeChoices(const ProfileFile& ini, int n);

// Every key of a job section as stored, Active first.
std::vector<StoredKey> JobStoredKeys();

// The text a fresh job would store under key (a flag as "1"/"0", a choice as its index);
// "0" for Active. Empty for a key that is not a job key.
std::string DefaultJobValue(std::string_view key);

// Item counts of the job's choices, for editors that offer them.
inline constexpr uint8_t kSourceTypeCount = 6;
inline constexpr uint8_t kBufferingCount = 3;
inline constexpr uint8_t kCopyModeCount = 5;
inline constexpr uint8_t kUseRasForCount = 2;
inline constexpr uint8_t kReportLevelCount = 6;
inline constexpr uint8_t kParsingTypeCount = 2;
inline constexpr uint8_t kModemspeedCount = 3;

}  // namespace ferrolin

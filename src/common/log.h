#pragma once
// The event log: one time-stamped line per call, the file opened and closed each time.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/clock.h"

namespace ferrolin {

// Appends "<short date> <hh:mm:ss> <ccc> <text>" to fileName. An empty text only
// performs the rotation check. maxSize 0 means never rotate. True when the file opened.
bool WriteLog(uint8_t code, const std::string& fileName, std::string_view text,
              uint32_t maxSize = 0);
// The same, with the time stamp read from the given clock (a station's clock, a test's).
bool WriteLog(const Clock& clock, uint8_t code, const std::string& fileName, std::string_view text,
              uint32_t maxSize = 0);

// The file layer of WriteLog: rotation, escaping of inner CR/LF, one write, close.
bool AppendToLogFile(const std::string& fileName, std::string_view line, uint32_t maxSize);

// A line of a record file (one record per line, no escaping: the caller's line holds no
// line break) appended under the same lock and rotation as the log, with LF as its end.
// False when the file could not be opened or written.
bool AppendRecordLine(const std::string& fileName, std::string_view line, uint32_t maxSize);

// The previous-generation name: "old" inserted before the first "." of the file name
// (not of the folders above it); a name without a dot gets "old" appended.
std::string PreviousGenerationName(const std::string& fileName);

// The escaping rule alone: inner CR/LF (not in the last two bytes) become "$0D"/"$0A",
// every other control character (tab aside; escape, the 8-bit controls, ...) becomes "$"
// and its hex code wherever it stands, and CR LF is appended unless the line already
// ends in LF. WriteLog also takes the passwords out of the addresses in a text.
std::string EscapeLogLine(std::string_view line);

}  // namespace ferrolin

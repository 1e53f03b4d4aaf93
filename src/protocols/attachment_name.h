#pragma once
// The file name under which an attachment is stored. A message can name its attachment
// anything ("../../etc/passwd", "C:\\x\\y.exe", "", a name with line breaks); whatever it
// says, the file must land directly inside the destination folder.
#include <string>
#include <string_view>

#include "platform/path.h"

namespace ferrolin {

struct AttachmentName {
    std::string name;
    // True when name differs from what the message gave (for the log).
    bool changed = false;
};

using platform::kMaxFileNameBytes;

// Keeps only the last path component ("/" and "\" both count as separators), removes
// control characters, shortens names past kMaxFileNameBytes (keeping a short extension and
// whole UTF-8 characters), and uses generated when nothing usable is left ("", ".", "..").
// generated itself is trusted: the caller makes it (e.g. "Attachment 3.bin").
AttachmentName SafeAttachmentName(std::string_view given, std::string_view generated);

}  // namespace ferrolin

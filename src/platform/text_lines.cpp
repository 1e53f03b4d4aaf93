#include "platform/text_lines.h"

#include "platform/whole_file.h"

namespace ferrolin::platform {

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines,
                   int32_t* errorCode) {
    std::string content;
    const int32_t error = ReadWholeFile(path, content);
    if (errorCode != nullptr) *errorCode = error;
    if (error != 0) return false;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        size_t stop = end;
        if (stop > start && content[stop - 1] == '\r') --stop;
        lines.emplace_back(content, start, stop - start);
        start = end + 1;
    }
    return true;
}

bool WriteTextLinesAtomically(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return ReplaceWholeFile(path, text) == 0;
}

}  // namespace ferrolin::platform

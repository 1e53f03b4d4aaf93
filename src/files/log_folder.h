#pragma once
// The folder where the file services write their own logs ("FileCopy.log",
// "Metadata.log"): the program folder unless the start-up (or a test) names another.
#include <string>

namespace ferrolin {

std::string FilesLogFolder();
void SetFilesLogFolder(std::string folder);

}  // namespace ferrolin

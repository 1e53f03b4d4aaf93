#pragma once
// One transfer of FtpClient as its two source files share it: what to ask, where the data
// goes, and what happened. Not part of the client's interface.
#include <curl/curl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "protocols/ftp_client.h"

namespace ferrolin {

struct FtpClient::Operation {
    std::string url;
    bool nobody = false;
    bool fileTime = false;  // ask for the file's time (SFTP: its attributes)
    std::vector<std::string> quote;
    std::string customRequest;
    // Data: a download writes to sink (text, file or fd); an upload reads from file or fd.
    bool upload = false;
    int fd = -1;
    platform::FsFile* file = nullptr;
    int64_t size = -1;
    int64_t resumeFrom = 0;  // a download's first byte (REST)
    std::string* text = nullptr;
    const Progress* progress = nullptr;
    // What happened.
    std::vector<std::string> replies;
    int ioErrno = 0;
    bool progressAborted = false;
    int64_t dataBytes = 0;
    int64_t fileTimeFound = -1;       // UTC seconds; -1: not told
    int64_t contentLengthFound = -1;  // -1: not told
    char errorBuffer[CURL_ERROR_SIZE] = {};
};

}  // namespace ferrolin

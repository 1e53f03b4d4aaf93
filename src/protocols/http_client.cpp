#include "protocols/http_client.h"

#include <cctype>
#include <charconv>
#include <optional>
#include <string_view>

#include "platform/errors.h"
#include "platform/staged_target.h"
#include "protocols/curl_easy.h"

namespace ferrolin {

namespace {

// What the callbacks of one request share.
struct Request {
    const std::function<bool(const char*, size_t)>* sink = nullptr;
    const HttpProgress* progress = nullptr;
    std::string statusLine;
    long status = 0;
    bool refused = false;
    uint64_t bytes = 0;
    // The Content-Length the latest answer gave, as it gave it (also when it came with a
    // chunked transfer, which libcurl then ignores).
    std::optional<uint64_t> announced;
};

// The value of a "Content-Length:" header line; nothing for any other line.
std::optional<uint64_t> ContentLength(std::string_view line) {
    constexpr std::string_view kName = "content-length:";
    if (line.size() < kName.size()) return std::nullopt;
    for (size_t i = 0; i < kName.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != kName[i]) return std::nullopt;
    line.remove_prefix(kName.size());
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (ec != std::errc() || end != line.data() + line.size()) return std::nullopt;
    return value;
}

bool Success(long status) {
    return status >= 200 && status < 300;
}

// Keeps the status line of the latest answer (each redirect brings a new one).
size_t OnHeader(char* data, size_t, size_t size, void* user) {
    auto& request = *static_cast<Request*>(user);
    std::string_view line(data, size);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    if (const std::optional<uint64_t> length = ContentLength(line)) request.announced = length;
    if (line.rfind("HTTP/", 0) == 0) {
        request.statusLine = std::string(line);
        request.announced.reset();
        request.status = 0;
        const size_t blank = line.find(' ');
        if (blank != std::string_view::npos) {
            for (size_t i = blank + 1; i < line.size() && i < blank + 4; ++i) {
                if (line[i] < '0' || line[i] > '9') break;
                request.status = request.status * 10 + (line[i] - '0');
            }
        }
    }
    return size;
}

size_t OnBody(char* data, size_t, size_t size, void* user) {
    auto& request = *static_cast<Request*>(user);
    if (request.status >= 300 && request.status < 400) return size;  // a redirect's page
    if (!Success(request.status)) {
        // An error page is never stored as the file.
        request.refused = true;
        return 0;
    }
    if (!(*request.sink)(data, size)) return 0;
    request.bytes += size;
    return size;
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    const auto& request = *static_cast<Request*>(user);
    const bool goOn = (*request.progress)(static_cast<uint64_t>(now), static_cast<uint64_t>(total));
    return goOn ? 0 : 1;
}

}  // namespace

HttpClient::HttpClient(HttpOptions options) : options_(std::move(options)) {}

HttpClient::~HttpClient() = default;

void HttpClient::Disconnect() {
    curl_.reset();
}

CURL* HttpClient::Handle() {
    if (curl_) return curl_.get();
    curl_ = MakeCurlEasy({.protocols = "http,https",
                          .connectTimeout = options_.connectTimeout,
                          .stallTimeout = options_.stallTimeout,
                          .tls = &options_,
                          .noProxy = true});
    if (!curl_) return nullptr;
    CURL* c = curl_.get();
    headers_.reset(curl_slist_append(nullptr, ("Accept: " + options_.accept).c_str()));
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, options_.maxRedirects);
    curl_easy_setopt(c, CURLOPT_USERAGENT, options_.userAgent.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers_.get());
    curl_easy_setopt(c, CURLOPT_COOKIEFILE, "");  // cookies on, kept in memory
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    return c;
}

HttpResult HttpClient::Get(const std::string& url, const Sink& sink, const HttpProgress& progress) {
    HttpResult result;
    CURL* c = Handle();
    if (c == nullptr) {
        result.error = "The HTTP client cannot start";
        return result;
    }
    Request request;
    request.sink = &sink;
    request.progress = &progress;
    char detail[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &request);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &request);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &request);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, progress ? 0L : 1L);
    const CURLcode code = curl_easy_perform(c);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, nullptr);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, nullptr);

    result.status = request.status;
    result.statusLine = request.statusLine;
    result.bytes = request.bytes;
    if (request.refused || (code == CURLE_OK && !Success(request.status))) {
        result.error =
            request.statusLine.empty() ? "No valid answer from the server" : request.statusLine;
    } else if (code == CURLE_ABORTED_BY_CALLBACK) {
        result.error = "The download was cancelled";
    } else if (code != CURLE_OK) {
        result.error = CurlFailureText(c, code, detail);
    } else if (request.announced && *request.announced != request.bytes) {
        // Whatever way the server found to end the answer early, a file that is not the
        // size it announced is not the file.
        result.error = "Received " + std::to_string(request.bytes) + " bytes of the " +
                       std::to_string(*request.announced) + " the server announced";
    } else {
        result.ok = true;
    }
    return result;
}

HttpResult HttpClient::Download(platform::FileSystem& fs, const std::string& url,
                                const std::string& targetPath, const HttpProgress& progress) {
    std::string error;
    std::optional<platform::StagedTarget> file =
        platform::StagedTarget::CreateFor(fs, targetPath, error);
    if (!file) {
        HttpResult result;
        result.error = error;
        return result;
    }
    std::string writeError;
    const Sink toFile = [&](const char* data, size_t size) {
        if (file->File().WriteAll(data, size)) return true;
        writeError =
            "Cannot write " + targetPath + ": " + platform::ErrorMessage(platform::LastError());
        return false;
    };
    HttpResult result = Get(url, toFile, progress);
    result.fileCreated = true;
    if (!writeError.empty()) {
        result.ok = false;
        result.error = writeError;
    }
    if (result.ok && !file->Commit(targetPath, error, true, 0)) {
        result.ok = false;
        result.error = error;
    }
    return result;  // a file not committed is removed here
}

HttpResult HttpClient::GetText(const std::string& url, std::string& text, size_t maxBytes) {
    text.clear();
    bool tooLarge = false;
    const Sink collect = [&](const char* data, size_t size) {
        if (text.size() + size > maxBytes) {
            tooLarge = true;
            return false;
        }
        text.append(data, size);
        return true;
    };
    HttpResult result = Get(url, collect, {});
    if (tooLarge) {
        result.ok = false;
        result.error = "The answer is larger than " + std::to_string(maxBytes) + " bytes";
    }
    if (!result.ok) text.clear();
    return result;
}

}  // namespace ferrolin

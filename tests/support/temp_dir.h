#pragma once
// A temporary folder for one test, removed with everything in it at the end.
#include <chrono>
#include <functional>
#include <string>

namespace ferrolin::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes a whole file (creating parent folders); reads a whole file ("" when missing).
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);

// Polls predicate every 10 ms until it holds or timeout passes; returns its last value.
bool WaitFor(const std::function<bool()>& predicate,
             std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace ferrolin::test

#pragma once
// Running a program the operator named, with a text on its standard input: never through
// a shell (no word of the text is ever interpreted), in a process group of its own so a
// program that overstays its time is stopped with everything it started.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin::platform {

struct ProgramOutcome {
    bool started = false;
    int32_t startError = 0;  // errno when it could not be started
    bool timedOut = false;   // stopped after the time allowed
    int exitCode = -1;       // -1 when it ended by a signal (or was stopped)
};

// Starts argv[0] (looked up in PATH when it has no "/") with argv, the environment of
// this process plus extraEnvironment ("NAME=value"), input on its standard input and its
// output and errors discarded; waits up to timeout for it to end, calling waiting about
// every 10 ms meanwhile. A program that stops reading its input early is no error.
ProgramOutcome RunProgram(const std::vector<std::string>& argv, std::string_view input,
                          const std::vector<std::string>& extraEnvironment,
                          std::chrono::milliseconds timeout,
                          const std::function<void()>& waiting = {});

// The standard output of a short query program (argv[0] looked up in PATH), at most
// maxBytes of it, or nothing when it cannot be started, does not end with exit code 0
// within timeout, or is stopped.
std::optional<std::string> ProgramOutput(const std::vector<std::string>& argv,
                                         std::chrono::milliseconds timeout,
                                         size_t maxBytes = 64 * 1024);

// A command line split into words the way the operator wrote them: blanks separate
// words, double or single quotes keep blanks inside one word, a backslash keeps the next
// character. Nothing else is special.
std::vector<std::string> SplitCommandLine(std::string_view line);

}  // namespace ferrolin::platform

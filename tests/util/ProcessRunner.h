#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace qmtest
{

struct ProcessOptions
{
    std::string input;                    // written to the child's standard input
    std::vector<std::string> environment; // NAME=VALUE added to or replacing ours; NAME removes it
    std::chrono::milliseconds timeout{30000}; // the child is killed when it runs longer
};

struct ProcessResult
{
    int exitCode = -1; // -1 when the child did not exit normally (signal, timeout, no start)
    bool timedOut = false;
    std::string out;
    std::string err;
    std::string failure; // why the child could not be started, if it was not

    [[nodiscard]] bool Succeeded() const { return exitCode == 0 && !timedOut; }
    [[nodiscard]] std::string Describe() const; // one line for test failure messages
};

// Runs argv[0] (looked up in PATH) with the given arguments, no shell in between,
// collecting its output. Blocks until the child has exited or was killed at the
// deadline; a grandchild that keeps the output pipes open does not hold it up.
[[nodiscard]] ProcessResult RunProcess(const std::vector<std::string>& argv,
                                       const ProcessOptions& options = {});

} // namespace qmtest

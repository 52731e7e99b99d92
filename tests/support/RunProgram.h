#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace trovik::test {

struct ProgramRun {
    int status = -1;    // the exit status; -1 when it did not exit normally
    bool hung = false;  // killed when the time ran out
    std::string out;    // standard output, byte for byte
    std::string err;    // standard error, byte for byte
};

// The program `name` that lies in the same folder as the running test program.
std::filesystem::path siblingProgram(const std::filesystem::path& name);

// Runs `argv` (UTF-8; argv[0] is the program's path) in `folder` and returns what it wrote; kills
// it once `limit` has passed. On Windows its output passes through files in `folder`. Its standard
// input is the file `input`, or empty.
ProgramRun runProgram(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                      std::chrono::milliseconds limit = std::chrono::minutes(1),
                      const std::filesystem::path& input = {});

}  // namespace trovik::test

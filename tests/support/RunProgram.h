#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace trovik::test {

struct ProgramRun {
    int status = -1;
    std::string out;  // standard output, byte for byte
    std::string err;  // standard error, byte for byte
};

// The program `name` that lies in the same folder as the running test program.
std::filesystem::path siblingProgram(const std::filesystem::path& name);

// Runs `program` with `arguments` (UTF-8) in `folder`, waits for it and returns what it wrote.
// Its output passes through files in `folder`, named ".out" and ".err".
ProgramRun runProgram(const std::filesystem::path& program,
                      const std::vector<std::u8string>& arguments,
                      const std::filesystem::path& folder);

}  // namespace trovik::test

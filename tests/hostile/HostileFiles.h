#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace trovik::test {

// Makes the special files a user's disk can hold. Each returns the path it made, or throws.
std::filesystem::path makeFifo(const std::filesystem::path& path);
std::filesystem::path makeSocket(const std::filesystem::path& path);  // bound, then closed
std::filesystem::path makeSparse(const std::filesystem::path& path, std::uint64_t size,
                                 const std::string& start);

// Makes `levels` nested folders of 250-byte names under `root`, working relative to each open
// folder so that no call ever sees a path longer than the system allows, and returns the path of
// the deepest one. Remove such a tree with removeTree: std::filesystem cannot.
std::filesystem::path makeDeepFolders(const std::filesystem::path& root, int levels);
// Writes a file into a folder whose path may be longer than the system allows.
void writeDeep(const std::filesystem::path& folder, const std::string& name,
               const std::string& content);
// Removes `path` and everything under it, however deep, walking relative to open folders.
void removeTree(const std::filesystem::path& path) noexcept;

// The number of descriptors this process has open.
std::size_t openDescriptorCount();

// Sets the name this thread shows in /proc (at most 15 bytes) and gives the old one back when it
// goes out of scope.
class ThreadNameOverride {
public:
    explicit ThreadNameOverride(const std::string& name);
    ThreadNameOverride(const ThreadNameOverride&) = delete;
    ThreadNameOverride& operator=(const ThreadNameOverride&) = delete;
    ~ThreadNameOverride();

private:
    std::string m_previous;
};

// One run of a program in a folder of its own, with its output and how it ended.
struct ProgramRun {
    int status = -1;    // the exit status; -1 when it did not exit normally
    bool hung = false;  // killed when the time ran out
    std::chrono::milliseconds took{0};
    std::string out;
    std::string err;
};

// Runs `argv` (argv[0] is the program's path) in `folder`, and kills it once `limit` has passed.
ProgramRun runProgram(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                      std::chrono::milliseconds limit);

}  // namespace trovik::test

#pragma once

#include <filesystem>
#include <string>

namespace trovik::test {

// Makes the special files a user's disk can hold. Each returns the path it made, or throws.
std::filesystem::path makeFifo(const std::filesystem::path& path);
std::filesystem::path makeSocket(const std::filesystem::path& path);  // bound, then closed
std::filesystem::path makeSparse(const std::filesystem::path& path, std::uint64_t size,
                                 const std::string& start);

// Writes a file "f" at the bottom of `levels` nested folders of 250-byte names under `root`, a
// path that may be longer than the system allows, and returns its path.
// Remove such a tree with removeTree: std::filesystem cannot.
std::filesystem::path writeDeep(const std::filesystem::path& root, int levels,
                                const std::string& content);
// Removes `path` and everything under it, however deep.
void removeTree(const std::filesystem::path& path);

// The number of descriptors this process has open.
std::size_t openDescriptorCount();

}  // namespace trovik::test

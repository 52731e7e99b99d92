#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

namespace trovik {

#ifdef _WIN32
// Takes one entry of a folder: its bare name and its attributes (FILE_ATTRIBUTE_*), as the
// listing gives them. An error stops the reading, and the reader returns it.
using FolderEntrySink = std::function<std::error_code(std::wstring_view name, std::uint32_t)>;

// Reads the entries of `folder`, in the order the system lists them, without "." and "..", in
// large batches (FindFirstFileExW), through the folder's extended-length path (systemPath), so
// that no length of path and no name ending in a dot or a space is a bar. The error if the folder
// cannot be read to its end; an empty root is no error.
std::error_code readFolderEntries(const std::filesystem::path& folder, const FolderEntrySink& take);
#endif

}  // namespace trovik

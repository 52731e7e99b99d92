#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace trovik {

// `path` as the system calls of Windows take it: absolute and in the extended-length form,
// "\\?\C:\..." or "\\?\UNC\server\share\...", which the system passes on without changing it, so
// that a name ending in a dot or a space keeps it and the length is bound only by the system's
// limit of 32,767 characters. A relative path is joined to `currentFolder` (absolute, in any
// form), a path from the root ("\x") to its drive or share, and "C:x" to the current folder
// when that is on drive C and to the root of C otherwise. "/" becomes "\", "." and ".." steps are
// resolved by their text, and nothing else changes. A path already in the "\\?\" or "\\.\" form
// is taken as it is. Pure text: it never asks the system.
std::wstring extendedLengthPath(std::wstring_view path, std::wstring_view currentFolder);

#ifdef _WIN32
// `path` in the extended-length form, joined to the process's current folder where it is
// relative. Every path the file service, the folder reader and the walk give the system passes
// through here.
std::wstring systemPath(const std::filesystem::path& path);
#endif

}  // namespace trovik

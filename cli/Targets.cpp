#include "cli/Targets.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string_view>

#ifdef _WIN32
#include <windows.h>

#include "cli/Glob.h"
#include "platform/io/FolderEntries.h"
#include "platform/io/SystemPath.h"
#else
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#endif

#include "platform/io/FileErrors.h"

namespace fs = std::filesystem;

namespace trovik::cli {
namespace {

// One entry of a folder: its path, and what it is, a link followed to what it points at.
struct Entry {
    fs::path path;
    fs::file_type type = fs::file_type::none;
    bool isLink = false;
    std::error_code error;  // a dangling link, a loop of links
};

struct Listing {
    std::vector<Entry> entries;
    std::size_t next = 0;
};

#ifndef _WIN32
// Completes an entry whose listing gave no type, or gave a link, by asking the system.
void askType(Entry& entry, bool knownLink) {
    if (!knownLink) {
        const auto type = fs::symlink_status(entry.path, entry.error).type();
        if (entry.error || type != fs::file_type::symlink) {
            entry.type = type;
            return;
        }
    }
    entry.isLink = true;
    entry.type = fs::status(entry.path, entry.error).type();
}
#endif

#ifdef _WIN32
// What the attributes a listing or a handle gives say a file is.
fs::file_type typeFromAttributes(DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return fs::file_type::directory;
    }
    return (attributes & FILE_ATTRIBUTE_DEVICE) != 0 ? fs::file_type::unknown
                                                     : fs::file_type::regular;
}

// A Win32 error number as an error of a path: one that names no file says so as on POSIX.
std::error_code pathError(DWORD why) {
    return why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND
               ? std::make_error_code(std::errc::no_such_file_or_directory)
               : std::error_code(static_cast<int>(why), windowsErrorCategory());
}

// The system's information on what `path` leads to, every link on the way followed, as opening
// follows them; the error if it leads nowhere (a dangling link, a loop of links).
std::error_code followedInformation(const fs::path& path, BY_HANDLE_FILE_INFORMATION& information) {
    HANDLE handle = ::CreateFileW(systemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return pathError(::GetLastError());
    }
    const std::unique_ptr<void, decltype(&::CloseHandle)> owned(handle, &::CloseHandle);
    if (::GetFileInformationByHandle(handle, &information) == FALSE) {
        return pathError(::GetLastError());
    }
    return {};
}

// Completes a link met in a walk that is to be followed: the listing told of the link (a
// reparse point, a symbolic link or a junction), not of what it leads to.
void followLink(Entry& entry) {
    BY_HANDLE_FILE_INFORMATION information{};
    entry.error = followedInformation(entry.path, information);
    entry.type =
        entry.error ? fs::file_type::none : typeFromAttributes(information.dwFileAttributes);
}

// UTF-16 text as code points in upper case, so that matching it ignores letter case, as the
// system's names do. A lone surrogate stays a code point of its own.
std::u32string foldedCodePoints(std::wstring text) {
    if (!text.empty()) {
        ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    }
    std::u32string points;
    points.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto unit = static_cast<char32_t>(text[at]);
        const auto after = at + 1 < text.size() ? static_cast<char32_t>(text[at + 1]) : U'\0';
        if (unit >= 0xD800 && unit < 0xDC00 && after >= 0xDC00 && after < 0xE000) {
            points += 0x10000 + ((unit - 0xD800) << 10) + (after - 0xDC00);
            ++at;
        } else {
            points += unit;
        }
    }
    return points;
}

// A glob from the command line (UTF-8), folded as foldedCodePoints folds.
std::u32string foldedGlob(const std::string& glob) {
    const int length = static_cast<int>(glob.size());
    std::wstring wide(static_cast<std::size_t>(
                          ::MultiByteToWideChar(CP_UTF8, 0, glob.data(), length, nullptr, 0)),
                      L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, glob.data(), length, wide.data(),
                          static_cast<int>(wide.size()));
    return foldedCodePoints(std::move(wide));
}

// The entries of one folder, in the order the system lists them; the error if it cannot be read
// to the end. The listing's attributes answer for every entry but a link (a reparse point),
// which followLink completes when links are followed.
std::error_code readFolder(const fs::path& folder, std::vector<Entry>& entries) {
    return readFolderEntries(folder, [&](std::wstring_view name, std::uint32_t attributes) {
        Entry entry;
        entry.path = folder / fs::path(name);
        entry.isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.type = typeFromAttributes(attributes);
        entries.push_back(std::move(entry));
        return std::error_code();
    });
}
#else
// As above, read with readdir: the type it gives answers for everything but links, so that most
// entries cost no system call, and each entry's path is made once.
std::error_code readFolder(const fs::path& folder, std::vector<Entry>& entries) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) {
        return {errno, std::system_category()};
    }
    for (;;) {
        errno = 0;
        const dirent* found = ::readdir(dir.get());
        if (found == nullptr) {
            return errno == 0 ? std::error_code() : std::error_code(errno, std::system_category());
        }
        const std::string_view name(found->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        Entry entry;
        entry.path = folder / name;
        switch (found->d_type) {
            case DT_REG:
                entry.type = fs::file_type::regular;
                break;
            case DT_DIR:
                entry.type = fs::file_type::directory;
                break;
            case DT_LNK:
                askType(entry, true);
                break;
            case DT_UNKNOWN:
                askType(entry, false);  // the file system does not say
                break;
            default:
                entry.type = fs::file_type::unknown;  // a FIFO, socket or device
                break;
        }
        entries.push_back(std::move(entry));
    }
}

void followLink(Entry& /*entry*/) {}  // readFolder followed it already
#endif

// The entries of one folder, sorted by name; the error if it cannot be read to the end.
std::error_code listFolder(const fs::path& folder, Listing& listing) {
    const auto error = readFolder(folder, listing.entries);
    // Every entry's path is the folder's path, a separator and the entry's name, so comparing the
    // whole paths orders the names.
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const Entry& a, const Entry& b) { return a.path.native() < b.path.native(); });
    return error;
}

// The part of `path` below `root`, the folder its walk began at.
fs::path belowRoot(const fs::path& path, const fs::path& root) {
    auto below = path.native().substr(root.native().size());
    below.erase(0, below.find_first_not_of(fs::path::preferred_separator));
    return below;
}

// A separator of the folders in a glob: '/', and on Windows '\' too.
bool isGlobSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

// Whether a path met in the walk from `root` matches one of the globs. A trailing '/' is dropped,
// as grep drops it; a glob that still holds a '/' is matched against the path below the root, a
// leading '/' marking the root itself, as rg -g takes it; any other, against the name alone.
bool matchesAny(const std::vector<std::string>& globs, const fs::path& path, const fs::path& root) {
    return std::any_of(globs.begin(), globs.end(), [&](std::string glob) {
        while (glob.size() > 1 && isGlobSeparator(glob.back())) {
            glob.pop_back();
        }
        if (std::none_of(glob.begin(), glob.end(), isGlobSeparator)) {
            return nameMatches(glob, path.filename());
        }
        return pathMatches(isGlobSeparator(glob.front()) ? glob.substr(1) : glob,
                           belowRoot(path, root));
    });
}

// Emits the files under `root`; false when `emit` asked to stop.
bool walk(const fs::path& root, const WalkOptions& options, FolderSet& seen,
          const TargetSink& emit) {
    std::vector<Listing> stack;
    // What was listed before a folder failed is still scanned, after the folder's error.
    const auto descend = [&](const fs::path& folder) {
        if (options.follow && !seen.add(folder)) {
            return true;  // walked already, under the path met first
        }
        Listing listing;
        const auto error = listFolder(folder, listing);
        stack.push_back(std::move(listing));
        return !error || emit({folder, error});
    };
    if (!descend(root)) {
        return false;
    }
    // Depth first with an explicit stack, so that no depth of folders can exhaust the call stack.
    while (!stack.empty()) {
        Listing& current = stack.back();
        if (current.next == current.entries.size()) {
            stack.pop_back();
            continue;
        }
        Entry entry = std::move(current.entries[current.next++]);
        if (entry.isLink && options.follow) {
            followLink(entry);
        }

        bool going = true;
        if (entry.isLink && !options.follow) {
            seen.passOver();  // as grep -r and rg do, whether the link leads anywhere or not
        } else if (entry.error) {
            going = emit({std::move(entry.path), entry.error});
        } else if (entry.type == fs::file_type::regular) {
            if (!matchesAny(options.excludeFiles, entry.path, root)) {
                going = emit({std::move(entry.path), {}});
            }
        } else if (entry.type == fs::file_type::directory) {
            if (!matchesAny(options.excludeFolders, entry.path, root)) {
                going = descend(entry.path);
            }
        } else {
            seen.passOver();  // a FIFO, socket or device is not a file to scan
        }
        if (!going) {
            return false;
        }
    }
    return true;
}

#ifdef _WIN32
// What `argument` is, asked through its extended-length path, so that the very file named is
// asked about; a link named is followed.
fs::file_type typeOf(const fs::path& argument, std::error_code& error) {
    DWORD attributes = ::GetFileAttributesW(systemPath(argument).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = pathError(::GetLastError());
        return fs::file_type::none;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        BY_HANDLE_FILE_INFORMATION information{};
        error = followedInformation(argument, information);
        if (error) {
            return fs::file_type::none;
        }
        attributes = information.dwFileAttributes;
    }
    return typeFromAttributes(attributes);
}
#else
fs::file_type typeOf(const fs::path& argument, std::error_code& error) {
    return fs::status(argument, error).type();
}
#endif

Target namedTarget(const fs::path& argument, bool recursive, bool& walkIt) {
    walkIt = false;
    std::error_code error;
    const auto type = typeOf(argument, error);
    if (error) {
        return {argument, error};
    }
    if (type == fs::file_type::directory) {
        if (recursive) {
            walkIt = true;
            return {argument, {}};
        }
#ifdef _WIN32
        // The system category holds Win32 numbers there, not errno values.
        return {argument, std::make_error_code(std::errc::is_a_directory)};
#else
        return {argument, std::error_code(EISDIR, std::system_category())};
#endif
    }
    if (type == fs::file_type::regular) {
        return {argument, {}};
    }
    return {argument, make_error_code(FileError::NotRegularFile)};
}

}  // namespace

#ifdef _WIN32
bool nameMatches(const std::string& glob, const fs::path& name) {
    return globMatches(foldedGlob(glob), foldedCodePoints(name.native()), false);
}

bool pathMatches(const std::string& glob, const fs::path& path) {
    return globMatches(foldedGlob(glob), foldedCodePoints(path.native()), true);
}

bool FolderSet::add(const fs::path& folder) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (followedInformation(folder, information)) {
        return true;
    }
    const std::uintmax_t index =
        (std::uintmax_t{information.nFileIndexHigh} << 32U) | information.nFileIndexLow;
    return m_ids.emplace(information.dwVolumeSerialNumber, index).second;
}
#else
bool nameMatches(const std::string& glob, const fs::path& name) {
    return ::fnmatch(glob.c_str(), name.c_str(), 0) == 0;
}

bool pathMatches(const std::string& glob, const fs::path& path) {
    return ::fnmatch(glob.c_str(), path.c_str(), FNM_PATHNAME) == 0;
}

bool FolderSet::add(const fs::path& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) {
        return true;
    }
    return m_ids.emplace(status.st_dev, status.st_ino).second;
}
#endif

bool collectTarget(const fs::path& argument, const WalkOptions& options, FolderSet& seen,
                   const TargetSink& emit) {
    bool walkIt = false;
    Target target = namedTarget(argument, options.recursive, walkIt);
    return walkIt ? walk(argument, options, seen, emit) : emit(std::move(target));
}

}  // namespace trovik::cli

#include "cli/Targets.h"

#include <algorithm>
#include <cerrno>

#include "platform/io/FileErrors.h"

namespace fs = std::filesystem;

namespace trovik::cli {
namespace {

struct Listing {
    std::vector<fs::directory_entry> entries;
    std::size_t next = 0;
};

// The entries of one folder, sorted by name; the error if it cannot be read to the end.
std::error_code listFolder(const fs::path& folder, Listing& listing) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        listing.entries.push_back(*it);
    }
    // Every entry's path is the folder's path, a separator and the entry's name, so comparing the
    // whole paths orders the names, without making a path for each name.
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) {
                  return a.path().native() < b.path().native();
              });
    return error;
}

// The type of an entry met in a walk, following a link to what it points at. The type read
// with the folder's entries answers for everything but links, so that most entries cost no
// system call; where the folder gives no type, the entry asks the system.
fs::file_type entryType(const fs::directory_entry& entry, bool& isLink, std::error_code& error) {
    isLink = entry.is_symlink(error);
    if (error) {
        return fs::file_type::none;
    }
    if (isLink) {
        return entry.status(error).type();
    }
    if (entry.is_regular_file(error)) {
        return fs::file_type::regular;
    }
    if (!error && entry.is_directory(error)) {
        return fs::file_type::directory;
    }
    return fs::file_type::unknown;  // a FIFO, socket or device: not a file to scan
}

// Emits the files under `root`; false when `emit` asked to stop.
bool walk(const fs::path& root, const TargetSink& emit) {
    std::vector<Listing> stack;
    // What was listed before a folder failed is still scanned, after the folder's error.
    const auto descend = [&](const fs::path& folder) {
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
        const fs::directory_entry entry = std::move(current.entries[current.next++]);

        std::error_code error;
        bool isLink = false;
        const auto type = entryType(entry, isLink, error);
        bool going = true;
        if (error) {
            going = emit({entry.path(), error});  // a dangling link, a loop of links
        } else if (type == fs::file_type::regular) {
            going = emit({entry.path(), {}});
        } else if (type == fs::file_type::directory && !isLink) {
            going = descend(entry.path());  // links to folders are not followed
        }
        // Anything else met in a walk (FIFO, socket, device) is not a file to scan.
        if (!going) {
            return false;
        }
    }
    return true;
}

Target namedTarget(const fs::path& argument, bool recursive, bool& walkIt) {
    walkIt = false;
    std::error_code error;
    const auto type = fs::status(argument, error).type();
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

void CollectTargets(const std::vector<fs::path>& arguments, bool recursive,
                    const TargetSink& emit) {
    for (const auto& argument : arguments) {
        bool walkIt = false;
        Target target = namedTarget(argument, recursive, walkIt);
        if (!(walkIt ? walk(argument, emit) : emit(std::move(target)))) {
            return;
        }
    }
}

}  // namespace trovik::cli

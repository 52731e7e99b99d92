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

void walk(const fs::path& root, std::vector<Target>& targets) {
    std::vector<Listing> stack;
    // What was listed before a folder failed is still scanned, after the folder's error.
    const auto descend = [&](const fs::path& folder) {
        Listing listing;
        if (const auto error = listFolder(folder, listing)) {
            targets.push_back({folder, error});
        }
        stack.push_back(std::move(listing));
    };
    descend(root);
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
        if (error) {
            targets.push_back({entry.path(), error});  // a dangling link, a loop of links
        } else if (type == fs::file_type::regular) {
            targets.push_back({entry.path(), {}});
        } else if (type == fs::file_type::directory && !isLink) {
            descend(entry.path());  // links to folders are not followed
        }
        // Anything else met in a walk (FIFO, socket, device) is not a file to scan.
    }
}

}  // namespace

std::vector<Target> CollectTargets(const std::vector<fs::path>& arguments, bool recursive) {
    std::vector<Target> targets;
    for (const auto& argument : arguments) {
        std::error_code error;
        const auto type = fs::status(argument, error).type();
        if (error) {
            targets.push_back({argument, error});
        } else if (type == fs::file_type::directory) {
            if (recursive) {
                walk(argument, targets);
            } else {
#ifdef _WIN32
                // The system category holds Win32 numbers there, not errno values.
                targets.push_back({argument, std::make_error_code(std::errc::is_a_directory)});
#else
                targets.push_back({argument, std::error_code(EISDIR, std::system_category())});
#endif
            }
        } else if (type == fs::file_type::regular) {
            targets.push_back({argument, {}});
        } else {
            targets.push_back({argument, make_error_code(FileError::NotRegularFile)});
        }
    }
    return targets;
}

}  // namespace trovik::cli

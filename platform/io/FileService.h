#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/io/Result.h"

namespace trovik {

// The system's handle of an open file: a descriptor on POSIX, a HANDLE on Windows.
using NativeFile = std::intptr_t;

struct OpenedFile {
    NativeFile handle = -1;
    // The length the system reported when the file was opened. A hint only: the file may have
    // shrunk or grown since, and some files (in /proc, say) report 0 and still have content.
    std::uint64_t reportedSize = 0;
};

// The file access the scanner relies on. Implementations only ever read: they open for reading
// alone, never block on the open, and refuse anything that is not a regular file. Tests replace
// this to simulate failures that a real disk cannot be made to produce on demand.
class FileService {
public:
    virtual ~FileService() = default;

    virtual Result<OpenedFile> open(const std::filesystem::path& path) noexcept = 0;
    // Reads up to into.size() bytes at the current position; 0 means the end of the file.
    virtual Result<std::size_t> read(NativeFile file, std::span<std::byte> into) noexcept = 0;
    virtual void close(NativeFile file) noexcept = 0;
};

// The file service of the system the program runs on.
FileService& systemFileService() noexcept;

}  // namespace trovik

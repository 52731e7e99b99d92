#pragma once

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/io/FileService.h"
#include "scan/ScanVerdict.h"

namespace trovik::test {

// A file service over one file held in memory, for the failures a real disk will not produce on
// demand: a refused open, a failing read, short reads, a file that shrank or grew.
class FakeFileService final : public FileService {
public:
    std::string content;
    std::uint64_t reportedSize = 0;
    std::error_code openError;
    std::error_code readError;  // returned by the read numbered failOnRead (from 0) after an open
    std::size_t failOnRead = 0;
    std::size_t chunk = 0;  // at most this many bytes a read; 0 for no limit

    // What was asked of the service.
    std::vector<std::filesystem::path> opened;
    std::size_t reads = 0;
    int openFiles = 0;  // below 0 when a file is closed twice

    Result<OpenedFile> open(const std::filesystem::path& path) noexcept override {
        opened.push_back(path);
        if (openError) {
            return openError;
        }
        ++openFiles;
        m_position = 0;
        m_readsSinceOpen = 0;
        return OpenedFile{42, reportedSize};
    }

    Result<std::size_t> read(NativeFile, std::span<std::byte> into) noexcept override {
        ++reads;
        if (readError && m_readsSinceOpen++ == failOnRead) {
            return readError;
        }
        std::size_t count = std::min(into.size(), content.size() - m_position);
        if (chunk != 0) {
            count = std::min(count, chunk);
        }
        std::memcpy(into.data(), content.data() + m_position, count);
        m_position += count;
        return count;
    }

    void close(NativeFile) noexcept override { --openFiles; }

private:
    std::size_t m_position = 0;
    std::size_t m_readsSinceOpen = 0;
};

// An errno value as the file service reports it. On Windows the system category holds Win32
// numbers, so errno values travel in the generic category there.
inline std::error_code systemError(int value) {
#ifdef _WIN32
    return {value, std::generic_category()};
#else
    return {value, std::system_category()};
#endif
}

}  // namespace trovik::test

namespace trovik {
// How a verdict reads in a test's failure message.
inline void PrintTo(const ScanVerdict& verdict, std::ostream* out) {
    static constexpr const char* names[] = {"Clean", "PasswordStealer", "Unreadable"};
    *out << names[static_cast<int>(verdict.kind)];
    if (verdict.error) {
        *out << " (" << verdict.error.category().name() << ' ' << verdict.error.value() << ": "
             << verdict.error.message() << ')';
    }
}
}  // namespace trovik

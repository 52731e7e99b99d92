#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>

#include "platform/io/FileHandle.h"
#include "platform/io/FileService.h"
#include "scan/ScanVerdict.h"

namespace trovik {

// How much a scan tells about a stealer: only the verdict, which stops at the first signature
// met, or also each signature's first offset, which reads on through the window.
enum class MatchDetail {
    VerdictOnly,
    EachSignature,
};

// The verdict on the bytes `window` holds from the start of a file: Clean or PasswordStealer,
// with the matches when `detail` asks for them.
ScanVerdict scanWindow(std::span<const std::byte> window, MatchDetail detail) noexcept;

// One scan of one file. The pass owns the open file and holds the verdict; the file stays open
// for as long as the pass lives, so that a caller can show the verdict before the file is closed,
// and it is closed when the pass goes out of scope, whatever happened in between.
class ScanPass {
public:
    [[nodiscard]] const ScanVerdict& verdict() const noexcept { return m_verdict; }

private:
    friend ScanPass ScanFile(const std::filesystem::path& path, FileService& files,
                             MatchDetail detail) noexcept;
    explicit ScanPass(ScanVerdict verdict, std::optional<FileHandle> file = std::nullopt) noexcept
        : m_file(std::move(file)), m_verdict(verdict) {}

    std::optional<FileHandle> m_file;
    ScanVerdict m_verdict;
};

// Opens the file at `path`, reads up to ScanWindowSize bytes from its start and looks for the
// stealer signatures in exactly the bytes that arrived. A file that cannot be opened or read, or
// that is not a regular file, gives the Unreadable verdict with the system's reason.
ScanPass ScanFile(const std::filesystem::path& path, FileService& files,
                  MatchDetail detail = MatchDetail::VerdictOnly) noexcept;

}  // namespace trovik

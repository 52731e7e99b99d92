#include "scan/ScanFile.h"

#include <array>
#include <cstddef>

#include "scan/SignatureMatcher.h"

namespace trovik {

ScanVerdict scanWindow(std::span<const std::byte> window, MatchDetail detail) noexcept {
    if (detail == MatchDetail::EachSignature) {
        ScanVerdict verdict;
        verdict.matches = findEachSignature(window);
        verdict.kind =
            verdict.matches.empty() ? ScanVerdict::Kind::Clean : ScanVerdict::Kind::PasswordStealer;
        return verdict;
    }
    return findSignature(window) ? ScanVerdict::passwordStealer() : ScanVerdict::clean();
}

ScanPass ScanFile(const std::filesystem::path& path, FileService& files,
                  MatchDetail detail) noexcept {
    auto opened = FileHandle::open(files, path);
    if (!opened) {
        return ScanPass(ScanVerdict::unreadable(opened.error()));
    }
    FileHandle file = std::move(opened).value();

    std::array<std::byte, ScanWindowSize> buffer;  // NOLINT: only the bytes read are looked at
    const auto received = file.readFromStart(buffer);
    if (!received) {
        return ScanPass(ScanVerdict::unreadable(received.error()), std::move(file));
    }

    const std::span<const std::byte> window(buffer.data(), received.value());
    return ScanPass(scanWindow(window, detail), std::move(file));
}

}  // namespace trovik

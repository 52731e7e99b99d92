#include "scan/ScanFile.h"

#include <array>
#include <cstddef>

#include "scan/SignatureMatcher.h"

namespace trovik {

ScanPass ScanFile(const std::filesystem::path& path, FileService& files) noexcept {
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
    const ScanVerdict verdict =
        FindSignature(window) ? ScanVerdict::passwordStealer() : ScanVerdict::clean();
    return ScanPass(verdict, std::move(file));
}

}  // namespace trovik

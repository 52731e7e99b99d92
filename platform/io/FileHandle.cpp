#include "platform/io/FileHandle.h"

#include <utility>

#include "platform/io/OpenRule.h"

namespace trovik {

Result<FileHandle> FileHandle::open(FileService& service,
                                    const std::filesystem::path& path) noexcept {
    auto opened = service.open(path);
    if (!opened) {
        return opened.error();
    }
    return FileHandle(service, opened.value());
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_service(std::exchange(other.m_service, nullptr)), m_file(other.m_file) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        reset();
        m_service = std::exchange(other.m_service, nullptr);
        m_file = other.m_file;
    }
    return *this;
}

FileHandle::~FileHandle() {
    reset();
}

void FileHandle::reset() noexcept {
    if (m_service != nullptr) {
        m_service->close(m_file.handle);
        m_service = nullptr;
    }
}

Result<std::size_t> FileHandle::readFromStart(std::span<std::byte> into) noexcept {
    std::size_t received = 0;
    while (received < into.size()) {
        auto got = m_service->read(m_file.handle, into.subspan(received));
        if (!got) {
            return got.error();
        }
        const bool first = received == 0;
        received += got.value();
        if (got.value() == 0 ||
            (first && firstReadSettles(received, into.size(), m_file.reportedSize))) {
            break;
        }
    }
    return received;
}

}  // namespace trovik

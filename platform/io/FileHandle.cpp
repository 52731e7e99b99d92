#include "platform/io/FileHandle.h"

#include <utility>

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
    const std::uint64_t reported = m_file.reportedSize;
    std::size_t received = 0;
    bool inOneRead = true;
    while (received < into.size()) {
        const std::size_t asked = into.size() - received;
        auto got = m_service->read(m_file.handle, into.subspan(received));
        if (!got) {
            return got.error();
        }
        if (got.value() == 0) {
            break;
        }
        received += got.value();
        // The reported length spares the read that would only find the end, and only when the
        // first read brought exactly that length, fewer bytes than asked: a local file read whole.
        // A file that arrives in pieces (a file system that reads short) or brings more than was
        // reported (it grew) is read on until a read finds the end, so the length never decides
        // what is scanned. A length of 0 says nothing (files in /proc report it and have content).
        if (inOneRead && reported != 0 && received == reported && received < asked) {
            break;
        }
        inOneRead = false;
    }
    return received;
}

}  // namespace trovik

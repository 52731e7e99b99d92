#pragma once

#include <cstddef>
#include <filesystem>
#include <span>

#include "platform/io/FileService.h"

namespace trovik {

// Owns one open file of a FileService and closes it when it goes out of scope.
class FileHandle {
public:
    static Result<FileHandle> open(FileService& service,
                                   const std::filesystem::path& path) noexcept;

    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    // Reads from the start of the file until `into` is full or the file ends, and returns how
    // many bytes arrived. Bytes that arrived before a failure are not reported: a failed read
    // fails the whole read.
    Result<std::size_t> readFromStart(std::span<std::byte> into) noexcept;

private:
    FileHandle(FileService& service, OpenedFile file) noexcept
        : m_service(&service), m_file(file) {}
    void reset() noexcept;

    FileService* m_service = nullptr;
    OpenedFile m_file;
};

}  // namespace trovik

#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <span>
#include <system_error>

namespace trovik {

// One file of a batch: where its first bytes go, and what became of it.
struct BatchRead {
    const std::filesystem::path* path = nullptr;
    std::span<std::byte> window;

    std::size_t received = 0;  // the bytes read from the start, when `error` is not set
    std::error_code error;     // the system's reason when the file could not be opened or read
    // The batch could not settle this file (it changed while it was read, or reports a length
    // it does not have): it is to be read again, alone, through the file service.
    bool readAlone = false;
};

// Reads the first bytes of many files at once, with the same promises as the system's file
// service: opened read-only, non-blocking, close-on-exec, without a terminal and without touching
// the access time where the system allows; only regular files are read; reads go on until the
// window is full or the file ends; every descriptor opened is closed before `read` returns.
// A reader belongs to one thread.
class BatchReader {
public:
    virtual ~BatchReader() = default;

    // The most files one call takes.
    [[nodiscard]] virtual std::size_t capacity() const noexcept = 0;
    // Settles every file of `files` (at most capacity()): received, error, or readAlone.
    virtual void read(std::span<BatchRead> files) noexcept = 0;
};

// A reader of the system's, one of `readers` that work at once, or null where the system offers
// none or refuses one (no io_uring, a kernel or a sandbox that forbids it, a limit on locked
// memory): then files are read one by one. Together the readers never hold more descriptors than
// the process's limit leaves room for, so a batch holds fewer files where the limit is low, and
// where it is too low for batches there is no reader.
std::unique_ptr<BatchReader> makeSystemBatchReader(unsigned readers = 1) noexcept;

}  // namespace trovik

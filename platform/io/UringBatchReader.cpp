#include <fcntl.h>
#include <liburing.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <new>

#include "platform/io/BatchReader.h"
#include "platform/io/OpenRule.h"

namespace trovik {
namespace {

// A file takes at most two entries at once (its read and its close), so that a whole batch fits
// in the ring.
constexpr std::size_t MostFiles = 32;
constexpr unsigned RingEntries = 128;
// Descriptors left to the rest of the program (the standard streams, the folder being listed).
constexpr std::size_t KeptDescriptors = 16;

enum class Step : std::uint64_t { Open, Read, Close };

std::uint64_t tag(std::size_t file, Step step) {
    return static_cast<std::uint64_t>(file) << 2 | static_cast<std::uint64_t>(step);
}

std::error_code systemError(int number) {
    return {number, std::system_category()};
}

// What the ring said about one file of the batch.
struct FileState {
    int opened = -ECANCELED;   // the open's result: a descriptor, or -errno
    int read = 0;              // bytes, or -errno
    std::uint64_t length = 0;  // the length the system reported at the open
    bool closed = false;
};

class UringBatchReader final : public BatchReader {
public:
    explicit UringBatchReader(std::size_t capacity) noexcept : m_capacity(capacity) {}
    UringBatchReader(const UringBatchReader&) = delete;
    UringBatchReader& operator=(const UringBatchReader&) = delete;
    ~UringBatchReader() override {
        if (m_ready && !m_lostInFlight) {
            io_uring_queue_exit(&m_ring);
        }
    }

    // Any refusal (ENOSYS on an old kernel or under a sandbox, EPERM where io_uring is disabled,
    // ENOMEM under a limit on locked memory, a kernel without one of the steps) is false.
    bool start() noexcept {
        m_ready = io_uring_queue_init(RingEntries, &m_ring, 0) == 0;
        if (m_ready && !offersEveryStep()) {
            m_broken = true;
        }
        return m_ready && !m_broken;
    }

    [[nodiscard]] std::size_t capacity() const noexcept override { return m_capacity; }

    void read(std::span<BatchRead> files) noexcept override {
        std::array<FileState, MostFiles> states{};
        const auto state = std::span(states).first(files.size());
        if (m_broken || files.size() > m_capacity) {
            for (BatchRead& file : files) {
                file.readAlone = true;
            }
            return;
        }
        const bool settled = openAll(files, state) && readAndCloseAll(files, state);
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (!settled && !files[i].error) {
                files[i].readAlone = true;
            }
            // A close the ring did not do is done here; after a ring failure nothing is known of
            // the descriptors still in flight, and closing a number that may be reused is worse
            // than keeping it.
            if (state[i].opened >= 0 && !state[i].closed && !m_lostInFlight) {
                ::close(state[i].opened);
            }
        }
    }

private:
    bool openAll(std::span<BatchRead> files, std::span<FileState> state) noexcept {
        std::size_t queued = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            queued += queueOpen(*files[i].path, FirstOpenFlags, i);
        }
        if (!run(state, queued)) {
            return false;
        }
        // Opened again as the file service opens them again.
        queued = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (state[i].opened < 0 && retryWithoutNoAccessTime(-state[i].opened)) {
                queued += queueOpen(*files[i].path, ScanOpenFlags, i);
            }
        }
        if (!run(state, queued)) {
            return false;
        }
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (refusedByTheRing(state[i].opened)) {
                files[i].readAlone = true;
            } else if (state[i].opened < 0) {
                files[i].error = systemError(-state[i].opened);
            }
        }
        return true;
    }

    // Only a regular file is read: its kind is asked of the open descriptor, so that a FIFO or a
    // device put in the file's place after the folder was listed is never read. Then each file's
    // read and its close go in one chain, the close linked so that it follows whatever the read
    // gave.
    bool readAndCloseAll(std::span<BatchRead> files, std::span<FileState> state) noexcept {
        std::size_t queued = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            const int fd = state[i].opened;
            if (fd < 0) {
                continue;
            }
            BatchRead& file = files[i];
            // statx on the descriptor is fstat's system call; asked for by this name, it is not
            // taken by ThreadSanitizer for a use of the descriptor number, which the ring closes
            // out of its sight and the walk may reuse at once.
            struct statx status {};
            if (::statx(fd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_SIZE, &status) != 0) {
                file.error = systemError(errno);
            } else if (const auto refused = kindRefusal(status.stx_mode)) {
                file.error = refused;
            } else {
                state[i].length = status.stx_size;
                io_uring_sqe* sqe = io_uring_get_sqe(&m_ring);
                io_uring_prep_read(sqe, fd, file.window.data(),
                                   static_cast<unsigned>(file.window.size()), 0);
                io_uring_sqe_set_flags(sqe, IOSQE_IO_HARDLINK);  // a short read breaks a soft link
                io_uring_sqe_set_data64(sqe, tag(i, Step::Read));
                ++queued;
            }
            io_uring_sqe* sqe = io_uring_get_sqe(&m_ring);
            io_uring_prep_close(sqe, fd);
            io_uring_sqe_set_data64(sqe, tag(i, Step::Close));
            ++queued;
        }
        if (!run(state, queued)) {
            return false;
        }
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (state[i].opened >= 0 && !files[i].error) {
                settle(files[i], state[i]);
            }
        }
        return true;
    }

    // What the read gave: the window, the system's reason, or, when the one read does not settle
    // the file by the file service's rule, a file to read on alone.
    void settle(BatchRead& file, const FileState& state) noexcept {
        const int got = state.read;
        if (refusedByTheRing(got)) {
            file.readAlone = true;
        } else if (got < 0) {
            file.error = systemError(-got);
        } else if (firstReadSettles(static_cast<std::size_t>(got), file.window.size(),
                                    state.length)) {
            file.received = static_cast<std::size_t>(got);
        } else {
            file.readAlone = true;
        }
    }

    std::size_t queueOpen(const std::filesystem::path& path, int flags, std::size_t file) noexcept {
        io_uring_sqe* sqe = io_uring_get_sqe(&m_ring);
        io_uring_prep_openat(sqe, AT_FDCWD, path.c_str(), flags, 0);
        io_uring_sqe_set_data64(sqe, tag(file, Step::Open));
        return 1;
    }

    // Submits what is queued and takes every completion, each to the file and step it names.
    bool run(std::span<FileState> state, std::size_t queued) noexcept {
        std::size_t inFlight = 0;
        bool refused = false;
        while (queued > 0 || inFlight > 0) {
            if (queued > 0) {
                const int submitted =
                    io_uring_submit_and_wait(&m_ring, static_cast<unsigned>(queued));
                if (submitted > 0) {
                    queued -= static_cast<std::size_t>(submitted);
                    inFlight += static_cast<std::size_t>(submitted);
                } else if (submitted != -EINTR &&
                           !(inFlight > 0 && (submitted == -EAGAIN || submitted == -EBUSY))) {
                    // Refused outright (the kernel is short of memory, say): what is in flight
                    // is still taken below, and the files not settled are read alone.
                    m_broken = true;
                    refused = true;
                    queued = 0;
                }
            }
            io_uring_cqe* cqe = nullptr;
            while (inFlight > 0) {
                const int waited = io_uring_wait_cqe(&m_ring, &cqe);
                if (waited == -EINTR) {
                    continue;
                }
                if (waited < 0) {
                    m_broken = true;
                    m_lostInFlight = true;
                    return false;
                }
                record(state, io_uring_cqe_get_data64(cqe), cqe->res);
                io_uring_cqe_seen(&m_ring, cqe);
                --inFlight;
            }
        }
        return !refused;
    }

    // Results that say the ring could not do the work, not what the file is: a file system that
    // will not read without waiting (EAGAIN), an interruption, a worker the kernel could not
    // start for an open or a read that would wait, as under a limit on the user's processes
    // (ECANCELED), or no descriptor left while the batches held theirs (EMFILE, ENFILE). The file
    // is read alone; after a cancellation the ring is given up, since every open or read that
    // waits would be cancelled too.
    bool refusedByTheRing(int result) noexcept {
        m_broken = m_broken || result == -ECANCELED;
        return result == -EAGAIN || result == -EINTR || result == -ECANCELED || result == -EMFILE ||
               result == -ENFILE;
    }

    static void record(std::span<FileState> state, std::uint64_t data, int result) noexcept {
        FileState& file = state[static_cast<std::size_t>(data >> 2)];
        switch (static_cast<Step>(data & 3)) {
            case Step::Open:
                file.opened = result;
                break;
            case Step::Read:
                file.read = result;
                break;
            case Step::Close:
                // A cancelled close left the descriptor open; any other outcome released it.
                file.closed = result != -ECANCELED;
                break;
        }
    }

    bool offersEveryStep() noexcept {
        io_uring_probe* probe = io_uring_get_probe_ring(&m_ring);
        if (probe == nullptr) {
            return false;
        }
        const bool all = io_uring_opcode_supported(probe, IORING_OP_OPENAT) != 0 &&
                         io_uring_opcode_supported(probe, IORING_OP_READ) != 0 &&
                         io_uring_opcode_supported(probe, IORING_OP_CLOSE) != 0;
        io_uring_free_probe(probe);
        return all;
    }

    io_uring m_ring{};
    std::size_t m_capacity;
    bool m_ready = false;         // the ring was set up
    bool m_broken = false;        // the ring is not to be used again
    bool m_lostInFlight = false;  // the ring failed with operations in flight
};

}  // namespace

std::unique_ptr<BatchReader> makeSystemBatchReader(unsigned readers) noexcept {
    // Each reader holds its ring's descriptor and up to a batch of files.
    rlimit limit{};
    std::size_t capacity = MostFiles;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const auto open = static_cast<std::size_t>(limit.rlim_cur);
        const std::size_t share = open > KeptDescriptors ? (open - KeptDescriptors) / readers : 0;
        capacity = std::min(capacity, share > 0 ? share - 1 : 0);
    }
    if (capacity < 2) {
        return nullptr;
    }
    auto reader = std::unique_ptr<UringBatchReader>(new (std::nothrow) UringBatchReader(capacity));
    if (reader == nullptr || !reader->start()) {
        return nullptr;
    }
    return reader;
}

}  // namespace trovik

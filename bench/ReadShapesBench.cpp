// Ways of reading and searching the first 32000 bytes of every file of a corpus, timed in one
// process on the same list of files, so that only the way of reading differs:
//
//   Loop                open, one read, close, then the search: the least a program can do;
//   FileService         trovik's one-file-at-a-time path (ScanFile on the system's file service);
//   BatchReader         trovik's batched path (the system's batch reader, one per thread);
//   BareRing            a bare io_uring chain as batching alone gives it: an open into a fixed
//                       slot, a read linked to it and a close linked to that, 32 files a
//                       submission, with none of the batch reader's checks;
//   RingTypeCheck       a bare ring that checks each file's kind before reading it, with the
//                       statx system call or with a statx in the ring.
//
//     trovik_read_bench [Google Benchmark flags] CORPUS
//
// bench/run-bench.py runs it and prints each median against Loop at the same thread count.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#ifdef TROVIK_HAVE_LIBURING
#include <liburing.h>
#endif

#include "platform/io/BatchReader.h"
#include "platform/io/FileService.h"
#include "scan/ScanFile.h"
#include "scan/SignatureMatcher.h"

namespace {

namespace fs = std::filesystem;
using trovik::ScanWindowSize;

std::vector<fs::path>& corpus() {
    static std::vector<fs::path> files;
    return files;
}

// The files one benchmark thread reads: its slice of the corpus.
std::span<const fs::path> share(const benchmark::State& state) {
    const std::span<const fs::path> all = corpus();
    const auto threads = static_cast<std::size_t>(state.threads());
    const auto index = static_cast<std::size_t>(state.thread_index());
    const std::size_t first = all.size() * index / threads;
    return all.subspan(first, all.size() * (index + 1) / threads - first);
}

bool search(std::span<const std::byte> window) {
    return trovik::findSignature(window).has_value();
}

bool isStealer(const trovik::ScanVerdict& verdict) {
    return verdict.kind == trovik::ScanVerdict::Kind::PasswordStealer;
}

void BM_Loop(benchmark::State& state) {
    std::array<std::byte, ScanWindowSize> window{};
    for (auto _ : state) {
        std::size_t found = 0;
        for (const fs::path& path : share(state)) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (fd < 0) {
                continue;
            }
            const ssize_t got = ::read(fd, window.data(), window.size());
            ::close(fd);
            found += got > 0 && search(std::span(window).first(static_cast<std::size_t>(got)));
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_Loop)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_FileService(benchmark::State& state) {
    trovik::FileService& files = trovik::systemFileService();
    for (auto _ : state) {
        std::size_t found = 0;
        for (const fs::path& path : share(state)) {
            found += isStealer(trovik::ScanFile(path, files).verdict());
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_FileService)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// A batch of files read by the batch reader into windows of its own.
class Batch {
public:
    explicit Batch(std::size_t capacity)
        : m_windows(std::make_unique_for_overwrite<std::byte[]>(capacity * ScanWindowSize)) {
        m_reads.reserve(capacity);
    }

    void read(trovik::BatchReader& reader, std::span<const fs::path> paths) {
        m_reads.clear();
        for (const fs::path& path : paths) {
            trovik::BatchRead read;
            read.path = &path;
            read.window = {&m_windows[m_reads.size() * ScanWindowSize], ScanWindowSize};
            m_reads.push_back(read);
        }
        reader.read(m_reads);
    }

    [[nodiscard]] std::size_t search() const {
        std::size_t found = 0;
        for (const trovik::BatchRead& read : m_reads) {
            if (read.readAlone) {
                found +=
                    isStealer(trovik::ScanFile(*read.path, trovik::systemFileService()).verdict());
            } else if (!read.error) {
                found += ::search(read.window.first(read.received));
            }
        }
        return found;
    }

private:
    std::unique_ptr<std::byte[]> m_windows;
    std::vector<trovik::BatchRead> m_reads;
};

void BM_BatchReader(benchmark::State& state) {
    const auto reader = trovik::makeSystemBatchReader(static_cast<unsigned>(state.threads()));
    if (!reader) {
        state.SkipWithError("the system offers no batched reads here");
        return;
    }
    Batch batch(reader->capacity());
    const std::span<const fs::path> files = share(state);
    for (auto _ : state) {
        std::size_t found = 0;
        for (std::size_t first = 0; first < files.size(); first += reader->capacity()) {
            batch.read(*reader,
                       files.subspan(first, std::min(reader->capacity(), files.size() - first)));
            found += batch.search();
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_BatchReader)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

#ifdef TROVIK_HAVE_LIBURING
// A bare ring of its own, with a window for each file of a submission; let go with it.
class BareRing {
public:
    static constexpr unsigned Files = 32;

    // With `fixedSlots`, the ring has a fixed descriptor slot for each file of a submission.
    explicit BareRing(bool fixedSlots) : m_windows(Files * ScanWindowSize) {
        m_started = io_uring_queue_init(4 * Files, &m_ring, 0) == 0;
        m_ready = m_started && (!fixedSlots || io_uring_register_files_sparse(&m_ring, Files) == 0);
    }
    BareRing(const BareRing&) = delete;
    BareRing& operator=(const BareRing&) = delete;
    ~BareRing() {
        if (m_started) {
            io_uring_queue_exit(&m_ring);
        }
    }

    [[nodiscard]] bool ready() const { return m_ready; }

    // The next entry, its result to be put where `result` points (nowhere when null).
    io_uring_sqe* entry(int* result) {
        io_uring_sqe* sqe = io_uring_get_sqe(&m_ring);
        io_uring_sqe_set_data(sqe, result);
        return sqe;
    }

    std::byte* window(unsigned file) { return &m_windows[file * ScanWindowSize]; }

    // Submits `count` entries and puts each result where its entry says.
    bool run(unsigned count) {
        io_uring_submit_and_wait(&m_ring, count);
        for (unsigned done = 0; done < count; ++done) {
            io_uring_cqe* cqe = nullptr;
            if (io_uring_wait_cqe(&m_ring, &cqe) != 0) {
                return false;
            }
            if (auto* result = static_cast<int*>(io_uring_cqe_get_data(cqe))) {
                *result = cqe->res;
            }
            io_uring_cqe_seen(&m_ring, cqe);
        }
        return true;
    }

    // Searches the window of each file whose read brought `read[file]` bytes.
    [[nodiscard]] std::size_t search(std::span<const int> read) const {
        std::size_t found = 0;
        for (std::size_t file = 0; file < read.size(); ++file) {
            found +=
                read[file] > 0 && ::search(std::span(m_windows).subspan(
                                      file * ScanWindowSize, static_cast<std::size_t>(read[file])));
        }
        return found;
    }

private:
    io_uring m_ring{};
    std::vector<std::byte> m_windows;
    bool m_started = false;
    bool m_ready = false;
};

// What batching alone gives: no check of the file's kind, no second read, no fallback.
void BM_BareRing(benchmark::State& state) {
    constexpr unsigned Files = BareRing::Files;
    BareRing ring(true);
    if (!ring.ready()) {
        state.SkipWithError("the system offers no io_uring here");
        return;
    }
    std::array<int, Files> got{};
    const std::span<const fs::path> files = share(state);
    for (auto _ : state) {
        std::size_t found = 0;
        for (std::size_t first = 0; first < files.size(); first += Files) {
            const auto count =
                static_cast<unsigned>(std::min<std::size_t>(Files, files.size() - first));
            for (unsigned slot = 0; slot < count; ++slot) {
                got[slot] = 0;
                io_uring_sqe* open = ring.entry(nullptr);
                io_uring_prep_openat_direct(open, AT_FDCWD, files[first + slot].c_str(),
                                            O_RDONLY | O_NONBLOCK | O_NOCTTY, 0, slot);
                io_uring_sqe_set_flags(open, IOSQE_IO_LINK);
                io_uring_sqe* read = ring.entry(&got[slot]);
                io_uring_prep_read(read, static_cast<int>(slot), ring.window(slot), ScanWindowSize,
                                   0);
                io_uring_sqe_set_flags(read, IOSQE_FIXED_FILE | IOSQE_IO_HARDLINK);
                io_uring_prep_close_direct(ring.entry(nullptr), slot);
            }
            if (!ring.run(3 * count)) {
                state.SkipWithError("the ring failed");
                return;
            }
            found += ring.search(std::span(got).first(count));
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_BareRing)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// Where a batch checks that each open file is a regular file before reading it: with the statx
// system call on each descriptor, as the batch reader does, or as a statx in the ring between the
// opens and the reads, which spares the system call.
void BM_RingTypeCheck(benchmark::State& state, bool inRing) {
    constexpr unsigned Files = BareRing::Files;
    BareRing ring(false);
    if (!ring.ready()) {
        state.SkipWithError("the system offers no io_uring here");
        return;
    }
    std::array<int, Files> results{};
    std::array<int, Files> descriptors{};
    std::array<struct statx, Files> status{};
    const std::span<const fs::path> files = corpus();
    for (auto _ : state) {
        std::size_t found = 0;
        for (std::size_t first = 0; first < files.size(); first += Files) {
            const auto count =
                static_cast<unsigned>(std::min<std::size_t>(Files, files.size() - first));
            for (unsigned i = 0; i < count; ++i) {
                io_uring_prep_openat(ring.entry(&descriptors[i]), AT_FDCWD,
                                     files[first + i].c_str(),
                                     O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0);
            }
            if (!ring.run(count)) {
                state.SkipWithError("the ring failed");
                return;
            }
            for (unsigned i = 0; i < count; ++i) {
                if (inRing) {
                    io_uring_prep_statx(ring.entry(&results[i]), descriptors[i], "", AT_EMPTY_PATH,
                                        STATX_TYPE, &status[i]);
                } else {
                    results[i] = ::statx(descriptors[i], "", AT_EMPTY_PATH, STATX_TYPE, &status[i]);
                }
            }
            if (inRing && !ring.run(count)) {
                state.SkipWithError("the ring failed");
                return;
            }
            unsigned queued = 0;
            for (unsigned i = 0; i < count; ++i) {
                const bool regular = results[i] == 0 && S_ISREG(status[i].stx_mode);
                results[i] = 0;
                if (regular) {
                    io_uring_sqe* read = ring.entry(&results[i]);
                    io_uring_prep_read(read, descriptors[i], ring.window(i), ScanWindowSize, 0);
                    io_uring_sqe_set_flags(read, IOSQE_IO_HARDLINK);
                    ++queued;
                }
                io_uring_prep_close(ring.entry(nullptr), descriptors[i]);
                ++queued;
            }
            if (!ring.run(queued)) {
                state.SkipWithError("the ring failed");
                return;
            }
            found += ring.search(std::span(results).first(count));
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK_CAPTURE(BM_RingTypeCheck, statx_call, false)
    ->Threads(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RingTypeCheck, statx_in_ring, true)
    ->Threads(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        std::fputs("usage: trovik_read_bench [benchmark flags] CORPUS\n", stderr);
        return 2;
    }
    for (const auto& entry : fs::recursive_directory_iterator(argv[1])) {
        if (entry.is_regular_file()) {
            corpus().push_back(entry.path());
        }
    }
    std::ranges::sort(corpus());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "cli/ParallelScan.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "scan/ScanFile.h"

namespace trovik::cli {
namespace {

ScanVerdict verdictFor(const Target& target, FileService& files) {
    if (target.error) {
        return ScanVerdict::unreadable(target.error);
    }
    return ScanFile(target.path, files).verdict();
}

}  // namespace

void ScanInOrder(const std::vector<Target>& targets, unsigned threads, FileService& files,
                 const VerdictSink& sink) {
    const std::size_t count = targets.size();
    const auto scanHere = [&] {
        for (const auto& target : targets) {
            if (!sink(target, verdictFor(target, files))) {
                return;
            }
        }
    };
    if (threads <= 1 || count <= 1) {
        scanHere();
        return;
    }

    // Workers take targets in order and publish each verdict in its own slot; this thread reports
    // the slots in order, waiting on each until it is filled.
    std::vector<ScanVerdict> verdicts(count);
    const auto ready = std::make_unique<std::atomic<bool>[]>(count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};

    const auto work = [&] {
        for (;;) {
            const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= count || stop.load(std::memory_order_relaxed)) {
                return;
            }
            verdicts[i] = verdictFor(targets[i], files);
            ready[i].store(true, std::memory_order_release);
            ready[i].notify_one();
        }
    };

    const unsigned workers = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    std::vector<std::jthread> pool;
    pool.reserve(workers);
    for (unsigned t = 0; t < workers; ++t) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // the system gives no more threads (a limit on processes): use those it gave
        }
    }
    if (pool.empty()) {
        scanHere();
        return;
    }

    for (std::size_t i = 0; i < count; ++i) {
        ready[i].wait(false, std::memory_order_acquire);
        if (!sink(targets[i], verdicts[i])) {
            stop.store(true, std::memory_order_relaxed);
            break;
        }
    }
    // The pool joins here; a worker that took a slot after `stop` finishes that one scan only.
}

}  // namespace trovik::cli

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
    if (threads <= 1 || count <= 1) {
        for (const auto& target : targets) {
            if (!sink(target, verdictFor(target, files))) {
                return;
            }
        }
        return;
    }

    // Every thread, this one included, takes the next target and publishes its verdict in the
    // target's own slot. This thread also reports: after each scan of its own it reports the
    // filled slots that follow the last one reported, so that it seldom has to wait, and once no
    // target is left to take it waits for the remaining slots in order.
    std::vector<ScanVerdict> verdicts(count);
    const auto ready = std::make_unique<std::atomic<bool>[]>(count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};

    const auto scanNext = [&] {
        const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
        if (i >= count || stop.load(std::memory_order_relaxed)) {
            return false;
        }
        verdicts[i] = verdictFor(targets[i], files);
        ready[i].store(true, std::memory_order_release);
        ready[i].notify_one();
        return true;
    };

    std::size_t reported = 0;
    const auto report = [&](std::size_t i) {
        if (!sink(targets[i], verdicts[i])) {
            stop.store(true, std::memory_order_relaxed);
            return false;
        }
        reported = i + 1;
        return true;
    };

    const unsigned helpers = static_cast<unsigned>(std::min<std::size_t>(threads, count)) - 1;
    std::vector<std::jthread> pool;
    pool.reserve(helpers);
    for (unsigned t = 0; t < helpers; ++t) {
        try {
            pool.emplace_back([&] {
                while (scanNext()) {
                }
            });
        } catch (const std::system_error&) {
            break;  // the system gives no more threads (a limit on processes): this one goes on
        }
    }

    bool going = true;
    while (going && scanNext()) {
        while (going && reported < count && ready[reported].load(std::memory_order_acquire)) {
            going = report(reported);
        }
    }
    while (going && reported < count) {
        ready[reported].wait(false, std::memory_order_acquire);
        going = report(reported);
    }
    // The pool joins here; a helper that took a target after `stop` finishes that one scan only.
}

}  // namespace trovik::cli

#include "cli/ParallelScan.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "scan/ScanFile.h"

namespace trovik::cli {
namespace {

ScanVerdict verdictFor(const Target& target, FileService& files, MatchDetail detail) {
    if (target.error) {
        return ScanVerdict::unreadable(target.error);
    }
    return ScanFile(target.path, files, detail).verdict();
}

// The targets between the walk and the report, in order. The walk appends them; any thread takes
// the next one to scan and marks it scanned; the reporting thread removes them from the front once
// reported, so that only the targets not yet reported are held.
class ScanQueue {
public:
    struct Item {
        explicit Item(Target&& from) : target(std::move(from)) {}
        Target target;
        ScanVerdict verdict;
        std::atomic<bool> scanned{false};
    };

    void push(Target&& target) {
        {
            const std::lock_guard lock(m_mutex);
            m_items.emplace_back(std::move(target));
        }
        m_changed.notify_one();
    }

    // No target will be added: either the walk is over, or the scan stops.
    void close(bool stop) {
        {
            const std::lock_guard lock(m_mutex);
            m_closed = true;
            m_stopped = m_stopped || stop;
        }
        m_changed.notify_all();
    }

    // The next target to scan; with `wait`, waits for the walk to add one. Null when none is left.
    Item* take(bool wait) {
        std::unique_lock lock(m_mutex);
        if (wait) {
            m_changed.wait(lock, [&] { return m_closed || m_next < m_first + m_items.size(); });
        }
        if (m_stopped || m_next == m_first + m_items.size()) {
            return nullptr;
        }
        return &m_items[m_next++ - m_first];
    }

    // The next target to scan if more than `limit` are waiting to be taken, otherwise null.
    Item* takeBeyond(std::size_t limit) {
        const std::lock_guard lock(m_mutex);
        if (m_stopped || m_first + m_items.size() - m_next <= limit) {
            return nullptr;
        }
        return &m_items[m_next++ - m_first];
    }

    // The first target not yet reported, or null.
    Item* front() {
        const std::lock_guard lock(m_mutex);
        return m_items.empty() ? nullptr : &m_items.front();
    }

    void popFront() {
        const std::lock_guard lock(m_mutex);
        m_items.pop_front();
        ++m_first;
    }

    void scan(Item& item, FileService& files, MatchDetail detail) {
        item.verdict = verdictFor(item.target, files, detail);
        {
            const std::lock_guard lock(m_mutex);
            item.scanned.store(true);
        }
        // The queue's condition, not the item, is what a waiting reporter watches: the item may be
        // reported and gone by the time this thread tells of it. (No std::atomic wait here: the
        // MinGW library's fallback for it hangs.)
        m_scannedOne.notify_one();
    }

    void waitScanned(const Item& item) {
        std::unique_lock lock(m_mutex);
        m_scannedOne.wait(lock, [&] { return item.scanned.load(); });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;     // a target was added, or the walk is over
    std::condition_variable m_scannedOne;  // a scan ended
    std::deque<Item> m_items;  // a deque: adding and removing leaves the other items in place
    std::size_t m_first = 0;   // the number of items removed from the front
    std::size_t m_next = 0;    // the number of items taken to scan
    bool m_closed = false;
    bool m_stopped = false;
};

}  // namespace

void ScanInOrder(const TargetSource& source, unsigned threads, FileService& files,
                 const VerdictSink& sink, MatchDetail detail) {
    if (threads <= 1) {
        source([&](Target&& target) { return sink(target, verdictFor(target, files, detail)); });
        return;
    }

    // This thread walks and scans beside the helpers; between two steps of its own it reports the
    // scanned targets at the front, so that it seldom has to wait for one.
    ScanQueue queue;
    bool going = true;
    const auto reportScanned = [&] {
        while (going) {
            ScanQueue::Item* first = queue.front();
            if (first == nullptr || !first->scanned.load()) {
                return;
            }
            going = sink(first->target, first->verdict);
            queue.popFront();
        }
    };

    std::vector<std::jthread> pool;
    // Runs before the pool joins, however this function is left, so that no helper waits forever.
    struct CloseOnExit {
        ScanQueue& queue;
        ~CloseOnExit() { queue.close(true); }
    };
    const CloseOnExit closeOnExit{queue};
    pool.reserve(threads - 1);
    for (unsigned t = 1; t < threads; ++t) {
        try {
            pool.emplace_back([&] {
                while (ScanQueue::Item* item = queue.take(true)) {
                    queue.scan(*item, files, detail);
                }
            });
        } catch (const std::system_error&) {
            break;  // the system gives no more threads (a limit on processes): this one goes on
        }
    }

    // The walk keeps only a few targets ahead of the scans: beyond those, this thread scans one
    // for each it adds. That bounds what the walk holds, and a target is scanned while its path
    // is still in the cache.
    const std::size_t ahead = 64 * static_cast<std::size_t>(threads);
    source([&](Target&& target) {
        queue.push(std::move(target));
        if (ScanQueue::Item* item = queue.takeBeyond(ahead)) {
            queue.scan(*item, files, detail);
        }
        reportScanned();
        return going;
    });
    queue.close(!going);

    while (going) {
        reportScanned();
        if (ScanQueue::Item* item = queue.take(false)) {
            queue.scan(*item, files, detail);
        } else if (ScanQueue::Item* first = queue.front()) {
            queue.waitScanned(*first);  // a helper is scanning it
        } else {
            break;  // every target is reported
        }
    }
    // A helper that is scanning when the sink stops the scan finishes that one scan only; the
    // pool joins before the queue goes.
}

}  // namespace trovik::cli

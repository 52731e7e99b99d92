#include "scan/ScanPipeline.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace trovik {
namespace {

ScanVerdict verdictFor(const Target& target, FileService& files, MatchDetail detail) {
    if (target.settled()) {
        return target.settledVerdict();
    }
    return ScanFile(target.path, files, detail).verdict();
}

// One target to scan and where its verdict goes.
struct Job {
    const Target* target;
    ScanVerdict* verdict;
    std::atomic<bool>* scanned = nullptr;  // set once the verdict is there, when in a queue
};

// Scans targets on one thread: many at once through a batch reader when it has one, otherwise
// one by one through the file service.
class Scanner {
public:
    // `scanners`: the number of scanners at work at once, each with a reader of its own.
    Scanner(FileService& files, const BatchReaders& readers, unsigned scanners, MatchDetail detail)
        : m_files(files), m_detail(detail) {
        if (readers) {
            m_reader = readers(scanners);
        }
        if (m_reader) {
            m_windows =
                std::make_unique_for_overwrite<std::byte[]>(m_reader->capacity() * ScanWindowSize);
            m_reads.reserve(m_reader->capacity());
        }
    }

    // How many targets one call to scan takes at most.
    [[nodiscard]] std::size_t capacity() const { return m_reader ? m_reader->capacity() : 1; }

    void scan(std::span<const Job> jobs) {
        if (!m_reader) {
            for (const Job& job : jobs) {
                *job.verdict = verdictFor(*job.target, m_files, m_detail);
            }
            return;
        }
        m_reads.clear();
        for (const Job& job : jobs) {
            if (!job.target->settled()) {
                const std::span window(&m_windows[m_reads.size() * ScanWindowSize], ScanWindowSize);
                BatchRead read;
                read.path = &job.target->path;
                read.window = window;
                m_reads.push_back(read);
            }
        }
        m_reader->read(m_reads);
        auto read = m_reads.begin();
        for (const Job& job : jobs) {
            if (job.target->settled()) {
                *job.verdict = job.target->settledVerdict();
            } else if (read->readAlone) {
                *job.verdict = ScanFile(job.target->path, m_files, m_detail).verdict();
                ++read;
            } else if (read->error) {
                *job.verdict = ScanVerdict::unreadable(read->error);
                ++read;
            } else {
                *job.verdict = scanWindow(read->window.first(read->received), m_detail);
                ++read;
            }
        }
    }

private:
    FileService& m_files;
    MatchDetail m_detail;
    std::unique_ptr<BatchReader> m_reader;
    std::unique_ptr<std::byte[]> m_windows;
    std::vector<BatchRead> m_reads;
};

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

    // The next targets to scan, at most `most` of them, into `jobs`; with `wait`, waits for the
    // walk to add that many, or to end. Empty when none is left.
    void take(bool wait, std::size_t most, std::vector<Job>& jobs) {
        std::unique_lock lock(m_mutex);
        if (wait) {
            m_changed.wait(lock,
                           [&] { return m_closed || m_next + most <= m_first + m_items.size(); });
        }
        takeLocked(most, jobs);
    }

    // As take without waiting, if more than `limit` targets are waiting to be taken.
    void takeBeyond(std::size_t limit, std::size_t most, std::vector<Job>& jobs) {
        const std::lock_guard lock(m_mutex);
        takeLocked(m_first + m_items.size() - m_next > limit ? most : 0, jobs);
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

    void scan(const std::vector<Job>& jobs, Scanner& scanner) {
        scanner.scan(jobs);
        {
            const std::lock_guard lock(m_mutex);
            for (const Job& job : jobs) {
                job.scanned->store(true);
            }
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
    void takeLocked(std::size_t most, std::vector<Job>& jobs) {
        jobs.clear();
        while (!m_stopped && jobs.size() < most && m_next < m_first + m_items.size()) {
            Item& item = m_items[m_next++ - m_first];
            jobs.push_back({&item.target, &item.verdict, &item.scanned});
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;     // a target was added, or the walk is over
    std::condition_variable m_scannedOne;  // a scan ended
    std::deque<Item> m_items;  // a deque: adding and removing leaves the other items in place
    std::size_t m_first = 0;   // the number of items removed from the front
    std::size_t m_next = 0;    // the number of items taken to scan
    bool m_closed = false;
    bool m_stopped = false;
};

// One thread: targets are gathered into batches as the source gives them, and reported batch by
// batch.
void scanOnThisThread(const TargetSource& source, Scanner& scanner, const VerdictSink& sink) {
    std::vector<Target> targets;
    std::vector<ScanVerdict> verdicts;
    std::vector<Job> jobs;
    bool going = true;
    const auto scanGathered = [&] {
        verdicts.resize(targets.size());
        jobs.clear();
        for (std::size_t i = 0; i < targets.size(); ++i) {
            jobs.push_back({&targets[i], &verdicts[i]});
        }
        scanner.scan(jobs);
        for (std::size_t i = 0; i < targets.size() && going; ++i) {
            going = sink(targets[i], verdicts[i]);
        }
        targets.clear();
    };
    const Settle settle = [&] {
        if (going) {
            scanGathered();
        }
        return going;
    };
    source(
        [&](Target&& target) {
            targets.push_back(std::move(target));
            if (targets.size() == scanner.capacity()) {
                scanGathered();
            }
            return going;
        },
        settle);
    settle();
}

// Many threads: this one walks and scans beside the helpers.
void scanOnThreads(const TargetSource& source, unsigned threads, FileService& files,
                   const BatchReaders& readers, const VerdictSink& sink, MatchDetail detail) {
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
            // Each helper has a scanner, and so a batch reader, of its own.
            pool.emplace_back([&] {
                Scanner scanner(files, readers, threads, detail);
                std::vector<Job> jobs;
                for (queue.take(true, scanner.capacity(), jobs); !jobs.empty();
                     queue.take(true, scanner.capacity(), jobs)) {
                    queue.scan(jobs, scanner);
                }
            });
        } catch (const std::system_error&) {
            break;  // the system gives no more threads (a limit on processes): this one goes on
        }
    }

    // The walk keeps only a few targets ahead of the scans: beyond those, this thread scans
    // what it adds. That bounds what the walk holds, and a target is scanned while its path is
    // still in the cache.
    Scanner scanner(files, readers, threads, detail);
    std::vector<Job> jobs;
    const std::size_t ahead = 64 * static_cast<std::size_t>(threads);
    // Scans what no helper has taken, and reports everything handed over.
    const Settle settle = [&] {
        while (going) {
            reportScanned();
            queue.take(false, scanner.capacity(), jobs);
            if (!jobs.empty()) {
                queue.scan(jobs, scanner);
            } else if (ScanQueue::Item* first = queue.front()) {
                queue.waitScanned(*first);  // a helper is scanning it
            } else {
                break;  // every target is reported
            }
        }
        return going;
    };
    source(
        [&](Target&& target) {
            queue.push(std::move(target));
            queue.takeBeyond(ahead, scanner.capacity(), jobs);
            if (!jobs.empty()) {
                queue.scan(jobs, scanner);
            }
            reportScanned();
            return going;
        },
        settle);
    queue.close(!going);
    settle();
    // A helper that is scanning when the sink stops the scan finishes that one batch only; the
    // pool joins before the queue goes.
}

}  // namespace

void scanInOrder(const TargetSource& source, unsigned threads, FileService& files,
                 const BatchReaders& readers, const VerdictSink& sink, MatchDetail detail) {
    if (threads <= 1) {
        Scanner scanner(files, readers, 1, detail);
        scanOnThisThread(source, scanner, sink);
    } else {
        scanOnThreads(source, threads, files, readers, sink, detail);
    }
}

}  // namespace trovik

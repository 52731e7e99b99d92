#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "scan/ScanPipeline.h"
#include "support/FakeFileService.h"
#include "support/HangBound.h"

namespace trovik {
namespace {

using namespace std::chrono_literals;

// Every file it opens holds a signature, and it notes which it opened; safe from many threads.
class StealerFiles final : public FileService {
public:
    std::set<std::string> opened() {
        const std::lock_guard lock(m_mutex);
        return m_opened;
    }
    Result<OpenedFile> open(const std::filesystem::path& path) noexcept override {
        const std::lock_guard lock(m_mutex);
        m_opened.insert(path.string());
        return OpenedFile{1, Content.size()};
    }
    Result<std::size_t> read(NativeFile, std::span<std::byte> into) noexcept override {
        std::memcpy(into.data(), Content.data(), Content.size());  // the whole file, every read
        return Content.size();
    }
    void close(NativeFile) noexcept override {}

private:
    static constexpr std::string_view Content = "..SexStory..";
    std::mutex m_mutex;
    std::set<std::string> m_opened;
};

// The helpers scan what the walk has handed over while the walk goes on: the source waits, with a
// bound, until some of its first targets have been opened before it hands over the rest. A sink
// that stops the scan stops the walk too, and nothing after the stop is reported. (A target
// refused before the scan is in the test below.)
TEST(ScanPipeline, ScansWhileTheWalkGoesOnAndAStopEndsBoth) {
    for (const unsigned threads : {1u, 2u, 3u}) {
        StealerFiles files;
        int emitted = 0;
        bool openedDuringTheWalk = false;
        std::vector<ScanVerdict> reported;
        scanInOrder(
            [&](const TargetSink& emit, const Settle&) {
                for (int i = 0; i < 100000; ++i) {
                    if (i == 10) {
                        const auto deadline = std::chrono::steady_clock::now() + test::HangBound;
                        while (files.opened().size() < 6 &&
                               std::chrono::steady_clock::now() < deadline) {
                            std::this_thread::sleep_for(1ms);
                        }
                        openedDuringTheWalk = files.opened().size() >= 6;
                    }
                    ++emitted;
                    if (!emit({"f" + std::to_string(i), {}})) {
                        break;
                    }
                }
            },
            threads, files, {},
            [&](const Target& target, const ScanVerdict& verdict) {
                EXPECT_EQ(target.path, "f" + std::to_string(reported.size()));  // in order
                reported.push_back(verdict);
                return reported.size() < 5;
            });
        // A stop before the wait shows the scan under way as well.
        EXPECT_TRUE(openedDuringTheWalk || emitted <= 10) << threads << " threads";
        EXPECT_EQ(reported, std::vector(5, ScanVerdict::passwordStealer()))
            << threads << " threads";
        EXPECT_LT(emitted, 100000) << threads << " threads";
        EXPECT_LE(files.opened().size(), static_cast<std::size_t>(emitted));
    }
}

// A batch as a ring might read one: each file clean, or failed, or sent back to be read alone;
// past `ringFailsAfter` files in all, every file sent back. A refused ring, or none, reads nothing.
// `alone` files are left to the file service in all.
struct BatchScript {
    const char* name;
    std::size_t alone;
    std::set<std::string> sentBack;
    std::map<std::string, std::error_code> failed;
    std::size_t ringFailsAfter = SIZE_MAX;
    bool refused = false;
    bool none = false;
};

class ScriptedReader final : public BatchReader {
public:
    ScriptedReader(const BatchScript& script, std::atomic<std::size_t>& seen)
        : m_script(script), m_seen(seen) {}
    [[nodiscard]] std::size_t capacity() const noexcept override { return 4; }
    void read(std::span<BatchRead> files) noexcept override {
        for (BatchRead& file : files) {
            const std::string name = file.path->string();
            file.readAlone =
                m_seen++ >= m_script.ringFailsAfter || m_script.sentBack.contains(name);
            if (const auto failure = m_script.failed.find(name); failure != m_script.failed.end()) {
                file.error = failure->second;
            } else if (!file.readAlone) {
                file.received = 5;
                std::memcpy(file.window.data(), "plain", 5);
            }
        }
    }

private:
    const BatchScript& m_script;
    std::atomic<std::size_t>& m_seen;
};

// Each verdict comes, in order, by the way the batch reader settled its file: a file sent back is
// read alone through the file service (and so, here, is a stealer), an error on one file of a
// batch is that file's alone, a ring that fails partway leaves the rest to the file service, and
// a refused ring, or none, leaves every file to it. A target that comes with its error (f4) is
// reported so, and read by neither.
TEST(ScanPipeline, EachVerdictComesTheWayItsFileWasRead) {
    const auto eio = std::make_error_code(std::errc::io_error);
    const BatchScript rows[] = {
        {"sent back", 2, {"f2", "f3"}, {}},
        {"an error partway", 0, {}, {{"f5", eio}}},
        {"the ring fails after six files", 5, {}, {}, 6},
        {"a refused ring", 11, {}, {}, SIZE_MAX, true},
        {"no reader", 11, {}, {}, SIZE_MAX, false, true},
    };
    for (const BatchScript& row : rows) {
        for (const unsigned threads : {1u, 2u, 3u}) {
            std::atomic<std::size_t> seen{0};
            StealerFiles files;
            const BatchReaders readers = [&](unsigned) -> std::unique_ptr<BatchReader> {
                return row.refused ? nullptr : std::make_unique<ScriptedReader>(row, seen);
            };
            std::vector<ScanVerdict> reported;
            scanInOrder(
                [&](const TargetSink& emit, const Settle&) {
                    for (int i = 0; i < 12; ++i) {
                        emit({"f" + std::to_string(i), i == 4 ? eio : std::error_code()});
                    }
                },
                threads, files, row.none ? BatchReaders() : readers,
                [&](const Target& target, const ScanVerdict& verdict) {
                    EXPECT_EQ(target.path, "f" + std::to_string(reported.size())) << row.name;
                    reported.push_back(verdict);
                    return true;
                });
            ASSERT_EQ(reported.size(), 12u) << row.name;
            const std::set<std::string> readAlone = files.opened();
            EXPECT_EQ(readAlone.size(), row.alone) << row.name << ", " << threads << " threads";
            for (std::size_t i = 0; i < 12; ++i) {
                const std::string name = "f" + std::to_string(i);
                const auto failure = row.failed.find(name);
                const ScanVerdict expected =
                    i == 4                        ? ScanVerdict::unreadable(eio)
                    : failure != row.failed.end() ? ScanVerdict::unreadable(failure->second)
                    : readAlone.contains(name)    ? ScanVerdict::passwordStealer()
                                                  : ScanVerdict::clean();
                EXPECT_EQ(reported[i], expected) << row.name << ", " << name;
            }
            if (!row.sentBack.empty()) {
                EXPECT_EQ(readAlone, row.sentBack) << row.name;
            }
        }
    }
}

}  // namespace
}  // namespace trovik

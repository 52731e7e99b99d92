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

// Every file is empty, and the service counts the opens; safe to use from many threads.
class CountingFileService final : public FileService {
public:
    std::atomic<int> opens{0};

    Result<OpenedFile> open(const std::filesystem::path&) noexcept override {
        ++opens;
        return OpenedFile{7, 0};
    }
    Result<std::size_t> read(NativeFile, std::span<std::byte>) noexcept override { return 0; }
    void close(NativeFile) noexcept override {}
};

// The helpers scan what the walk has handed over while the walk goes on: the source waits, with a
// bound, until some of its first targets have been opened before it hands over the rest. A sink
// that stops the scan stops the walk too, and nothing after the stop is reported; a target refused
// before the scan is reported in its place without being opened.
TEST(ScanPipeline, ScansWhileTheWalkGoesOnAndAStopEndsBoth) {
    const auto refused = std::make_error_code(std::errc::permission_denied);
    for (const unsigned threads : {1u, 2u, 3u}) {
        CountingFileService files;
        int emitted = 0;
        bool openedDuringTheWalk = false;
        std::vector<ScanVerdict> reported;
        scanInOrder(
            [&](const TargetSink& emit, const Settle&) {
                for (int i = 0; i < 100000; ++i) {
                    if (i == 10) {
                        const auto deadline = std::chrono::steady_clock::now() + test::HangBound;
                        while (files.opens < 6 && std::chrono::steady_clock::now() < deadline) {
                            std::this_thread::sleep_for(1ms);
                        }
                        openedDuringTheWalk = files.opens >= 6;
                    }
                    ++emitted;
                    if (!emit({"f" + std::to_string(i), i == 1 ? refused : std::error_code()})) {
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
        ASSERT_EQ(reported.size(), 5u) << threads << " threads";
        EXPECT_EQ(reported[1], ScanVerdict::unreadable(refused));
        EXPECT_LT(emitted, 100000) << threads << " threads";
        EXPECT_LE(files.opens, emitted - 1);
    }
}

// Files held in memory by name, for many threads at once; it notes which it opened.
class MemoryFileService final : public FileService {
public:
    explicit MemoryFileService(std::map<std::string, std::string> files)
        : m_files(std::move(files)) {}

    Result<OpenedFile> open(const std::filesystem::path& path) noexcept override {
        const std::lock_guard lock(m_mutex);
        const auto found = m_files.find(path.string());
        if (found == m_files.end()) {
            return std::make_error_code(std::errc::no_such_file_or_directory);
        }
        m_opened.insert(found->first);
        m_positions.push_back({&found->second, 0});
        return OpenedFile{static_cast<NativeFile>(m_positions.size() - 1), found->second.size()};
    }
    Result<std::size_t> read(NativeFile file, std::span<std::byte> into) noexcept override {
        const std::lock_guard lock(m_mutex);
        auto& [content, at] = m_positions[static_cast<std::size_t>(file)];
        const std::size_t count = std::min(into.size(), content->size() - at);
        std::memcpy(into.data(), content->data() + at, count);
        at += count;
        return count;
    }
    void close(NativeFile) noexcept override {}

    std::set<std::string> opened() {
        const std::lock_guard lock(m_mutex);
        return m_opened;
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::string> m_files;
    std::vector<std::pair<const std::string*, std::size_t>> m_positions;
    std::set<std::string> m_opened;
};

// What a batch does with each file, as a ring might: reads it, fails on it, or sends it back to be
// read alone; and, past a number of files, fails as a whole, sending back every file after.
struct BatchScript {
    std::map<std::string, std::string> contents;
    std::set<std::string> sentBack;
    std::map<std::string, std::error_code> failed;
    std::size_t ringFailsAfter = SIZE_MAX;
    std::atomic<std::size_t> seen{0};
};

class ScriptedReader final : public BatchReader {
public:
    explicit ScriptedReader(BatchScript& script) : m_script(script) {}
    [[nodiscard]] std::size_t capacity() const noexcept override { return 4; }
    void read(std::span<BatchRead> files) noexcept override {
        for (BatchRead& file : files) {
            const std::string name = file.path->string();
            if (m_script.seen++ >= m_script.ringFailsAfter || m_script.sentBack.contains(name)) {
                file.readAlone = true;
            } else if (const auto failure = m_script.failed.find(name);
                       failure != m_script.failed.end()) {
                file.error = failure->second;
            } else {
                const std::string& content = m_script.contents.at(name);
                file.received = std::min(content.size(), file.window.size());
                std::memcpy(file.window.data(), content.data(), file.received);
            }
        }
    }

private:
    BatchScript& m_script;
};

// Whatever a batch reader does with a file, each verdict is the file's own, in order: a file sent
// back is read alone through the file service, an error on one file of a batch is that file's
// alone, a ring that fails partway leaves its files to the file service, and a ring refused (or
// none given) leaves every file to it.
TEST(ScanPipeline, EachVerdictIsTheFilesOwnWhateverTheBatchReaderDoes) {
    std::map<std::string, std::string> contents;
    for (int i = 0; i < 12; ++i) {
        contents["f" + std::to_string(i)] = i % 4 == 3 ? "..SexStory.." : "plain";
    }
    const auto eio = std::make_error_code(std::errc::io_error);
    struct Row {
        const char* name;
        std::set<std::string> sentBack;
        std::map<std::string, std::error_code> failed;
        std::size_t ringFailsAfter = SIZE_MAX;
        bool refused = false;
        bool none = false;
    };
    const Row rows[] = {
        {"sent back", {"f2", "f3"}, {}},
        {"an error partway", {}, {{"f5", eio}}},
        {"the ring fails after six files", {}, {}, 6},
        {"a refused ring", {}, {}, SIZE_MAX, true},
        {"no reader", {}, {}, SIZE_MAX, false, true},
    };
    for (const Row& row : rows) {
        for (const unsigned threads : {1u, 2u, 3u}) {
            BatchScript script;
            script.contents = contents;
            script.sentBack = row.sentBack;
            script.failed = row.failed;
            script.ringFailsAfter = row.ringFailsAfter;
            MemoryFileService files(contents);
            const BatchReaders readers = [&](unsigned) -> std::unique_ptr<BatchReader> {
                return row.refused ? nullptr : std::make_unique<ScriptedReader>(script);
            };
            std::vector<ScanVerdict> reported;
            scanInOrder(
                [&](const TargetSink& emit, const Settle&) {
                    for (int i = 0; i < 12; ++i) {
                        emit({"f" + std::to_string(i), {}});
                    }
                },
                threads, files, row.none ? BatchReaders() : readers,
                [&](const Target& target, const ScanVerdict& verdict) {
                    EXPECT_EQ(target.path, "f" + std::to_string(reported.size())) << row.name;
                    reported.push_back(verdict);
                    return true;
                });
            ASSERT_EQ(reported.size(), 12u) << row.name;
            std::set<std::string> readAlone = row.sentBack;
            for (std::size_t i = 0; i < 12; ++i) {
                const std::string name = "f" + std::to_string(i);
                const auto failure = row.failed.find(name);
                const ScanVerdict expected = failure != row.failed.end()
                                                 ? ScanVerdict::unreadable(failure->second)
                                             : i % 4 == 3 ? ScanVerdict::passwordStealer()
                                                          : ScanVerdict::clean();
                EXPECT_EQ(reported[i].kind, expected.kind) << row.name << ", " << name;
                EXPECT_EQ(reported[i].error, expected.error) << row.name << ", " << name;
                if (row.refused || row.none) {
                    readAlone.insert(name);
                }
            }
            if (row.ringFailsAfter != SIZE_MAX) {
                // Which files come after the failure depends on the threads: as many as were left.
                EXPECT_EQ(files.opened().size(), 12 - row.ringFailsAfter) << row.name;
            } else {
                EXPECT_EQ(files.opened(), readAlone) << row.name << ", " << threads;
            }
        }
    }
}

}  // namespace
}  // namespace trovik

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "cli/ParallelScan.h"

namespace trovik::cli {
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

Target fileNumber(int i) {
    return {"f" + std::to_string(i), {}};
}

// The helpers scan what the walk has handed over while the walk goes on: the source waits, with
// a bound, until some of its first targets have been opened before it hands over the rest.
TEST(ScanInOrder, ScanningBeginsBeforeTheSourceEnds) {
    for (const unsigned threads : {2u, 3u}) {
        CountingFileService files;
        bool openedDuringTheWalk = false;
        std::vector<std::string> reported;
        ScanInOrder(
            [&](const TargetSink& emit) {
                for (int i = 0; i < 10; ++i) {
                    emit(fileNumber(i));
                }
                const auto deadline = std::chrono::steady_clock::now() + 10s;
                while (files.opens == 0 && std::chrono::steady_clock::now() < deadline) {
                    std::this_thread::sleep_for(1ms);
                }
                openedDuringTheWalk = files.opens > 0;
                for (int i = 10; i < 20; ++i) {
                    emit(fileNumber(i));
                }
            },
            threads, files,
            [&](const Target& target, const ScanVerdict& verdict) {
                EXPECT_EQ(verdict, ScanVerdict::clean());
                reported.push_back(target.path.string());
                return true;
            });
        EXPECT_TRUE(openedDuringTheWalk) << threads << " threads";
        ASSERT_EQ(reported.size(), 20u);
        for (int i = 0; i < 20; ++i) {
            EXPECT_EQ(reported[static_cast<std::size_t>(i)], fileNumber(i).path.string());
        }
        EXPECT_EQ(files.opens, 20);
    }
}

// A sink that stops the scan stops the walk too, and nothing after the stop is reported; a target
// refused before the scan is reported in its place without being opened.
TEST(ScanInOrder, StopEndsTheWalkAndTheReport) {
    for (const unsigned threads : {1u, 2u, 4u}) {
        CountingFileService files;
        int emitted = 0;
        std::vector<ScanVerdict> reported;
        const auto refused = std::make_error_code(std::errc::permission_denied);
        ScanInOrder(
            [&](const TargetSink& emit) {
                for (int i = 0; i < 100000; ++i) {
                    if (i == 10) {  // let the helpers catch up, however busy the machine is
                        const auto deadline = std::chrono::steady_clock::now() + 10s;
                        while (files.opens < 6 && std::chrono::steady_clock::now() < deadline) {
                            std::this_thread::sleep_for(1ms);
                        }
                    }
                    ++emitted;
                    Target target = fileNumber(i);
                    if (i == 1) {
                        target.error = refused;
                    }
                    if (!emit(std::move(target))) {
                        return;
                    }
                }
            },
            threads, files,
            [&](const Target&, const ScanVerdict& verdict) {
                reported.push_back(verdict);
                return reported.size() < 5;
            });
        ASSERT_EQ(reported.size(), 5u) << threads << " threads";
        EXPECT_EQ(reported[1], ScanVerdict::unreadable(refused));
        EXPECT_LT(emitted, 100000) << threads << " threads";
        EXPECT_LE(files.opens, emitted - 1);
    }
}

}  // namespace
}  // namespace trovik::cli

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/io/FileService.h"
#include "scan/ScanFile.h"
#include "scan/SignatureMatcher.h"

namespace {

// The baseline the matcher is measured against: a memchr-anchored search for each signature's
// first letter in both cases, checked case-blind from there, one signature after another.
bool memchrSearch(std::span<const std::byte> window) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(window.data());  // NOLINT
    const std::size_t size = window.size();
    for (const std::string_view sig : trovik::StealerSignatures) {
        for (const int first : {sig[0] | 0x20, sig[0] & ~0x20}) {
            const unsigned char* at = bytes;
            while (at < bytes + size) {
                at = static_cast<const unsigned char*>(
                    std::memchr(at, first, static_cast<std::size_t>(bytes + size - at)));
                if (at == nullptr) {
                    break;
                }
                const auto left = static_cast<std::size_t>(bytes + size - at);
                if (left >= sig.size() &&
                    ::strncasecmp(reinterpret_cast<const char*>(at),  // NOLINT
                                  sig.data(), sig.size()) == 0) {
                    return true;
                }
                ++at;
            }
        }
    }
    return false;
}

// The worst case: a full window of text that holds no signature but plenty of near misses.
std::vector<std::byte> worstCaseWindow(std::size_t size = trovik::ScanWindowSize) {
    const std::string_view text =
        "Some software searches for secrets; each change, such as a session or a schema, "
        "is checked. ";
    std::vector<std::byte> window(size);
    for (std::size_t i = 0; i < window.size(); ++i) {
        window[i] = static_cast<std::byte>(text[i % text.size()]);
    }
    return window;
}

void setBytes(benchmark::State& state, std::size_t perIteration) {
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(perIteration));
}

void BM_MemchrBaseline(benchmark::State& state) {
    const auto window = worstCaseWindow();
    for (auto _ : state) {
        benchmark::DoNotOptimize(memchrSearch(window));
    }
    setBytes(state, window.size());
}
BENCHMARK(BM_MemchrBaseline);

void BM_FindSignature(benchmark::State& state) {
    const auto window = worstCaseWindow();
    for (auto _ : state) {
        benchmark::DoNotOptimize(trovik::findSignature(window));
    }
    setBytes(state, window.size());
}
BENCHMARK(BM_FindSignature);

void BM_FindSignaturePortable(benchmark::State& state) {
    const auto window = worstCaseWindow();
    for (auto _ : state) {
        benchmark::DoNotOptimize(trovik::detail::findSignaturePortable(window));
    }
    setBytes(state, window.size());
}
BENCHMARK(BM_FindSignaturePortable);

// One file on disk, the same near-miss text, removed when the program ends.
class BenchFile {
public:
    explicit BenchFile(std::size_t size) {
        std::string pattern = (std::filesystem::temp_directory_path() / "trovik-bench-XXXXXX");
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) {
            std::abort();
        }
        ::close(fd);
        m_path = pattern;
        const auto content = worstCaseWindow(size);
        std::ofstream(m_path, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()),  // NOLINT
                   static_cast<std::streamsize>(content.size()));
    }
    BenchFile(const BenchFile&) = delete;
    BenchFile& operator=(const BenchFile&) = delete;
    ~BenchFile() { std::filesystem::remove(m_path); }
    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// ScanFile on one file against the bare system calls on the same file (open, one read of up to
// 32000 bytes, close), and against the bare loop's whole work on it, which adds the
// memchr-anchored search. The argument is the file's size.
void BM_ScanFile(benchmark::State& state) {
    const BenchFile file(static_cast<std::size_t>(state.range(0)));
    auto& files = trovik::systemFileService();
    for (auto _ : state) {
        benchmark::DoNotOptimize(trovik::ScanFile(file.path(), files).verdict());
    }
}
BENCHMARK(BM_ScanFile)->Arg(4096)->Arg(16384)->Arg(65536);

std::size_t bareRead(const std::filesystem::path& path, std::span<std::byte> buffer) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    ::close(fd);
    return static_cast<std::size_t>(got < 0 ? 0 : got);
}

void BM_BareOpenReadClose(benchmark::State& state) {
    const BenchFile file(static_cast<std::size_t>(state.range(0)));
    std::array<std::byte, trovik::ScanWindowSize> buffer{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(bareRead(file.path(), buffer));
    }
}
BENCHMARK(BM_BareOpenReadClose)->Arg(4096)->Arg(16384)->Arg(65536);

void BM_BareLoopFile(benchmark::State& state) {
    const BenchFile file(static_cast<std::size_t>(state.range(0)));
    std::array<std::byte, trovik::ScanWindowSize> buffer{};
    for (auto _ : state) {
        const std::size_t received = bareRead(file.path(), buffer);
        benchmark::DoNotOptimize(memchrSearch({buffer.data(), received}));
    }
}
BENCHMARK(BM_BareLoopFile)->Arg(4096)->Arg(16384)->Arg(65536);

}  // namespace

BENCHMARK_MAIN();

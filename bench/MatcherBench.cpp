#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

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
                if (left >= sig.size() && ::strncasecmp(reinterpret_cast<const char*>(at),  // NOLINT
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
std::vector<std::byte> worstCaseWindow() {
    const std::string_view text =
        "Some software searches for secrets; each change, such as a session or a schema, "
        "is checked. ";
    std::vector<std::byte> window(trovik::ScanWindowSize);
    for (std::size_t i = 0; i < window.size(); ++i) {
        window[i] = static_cast<std::byte>(text[i % text.size()]);
    }
    return window;
}

void BM_MemchrBaseline(benchmark::State& state) {
    const auto window = worstCaseWindow();
    for (auto _ : state) {
        benchmark::DoNotOptimize(memchrSearch(window));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * window.size()));
}
BENCHMARK(BM_MemchrBaseline);

void BM_FindSignature(benchmark::State& state) {
    const auto window = worstCaseWindow();
    for (auto _ : state) {
        benchmark::DoNotOptimize(trovik::FindSignature(window));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * window.size()));
}
BENCHMARK(BM_FindSignature);

void BM_FindSignaturePortable(benchmark::State& state) {
    const auto window = worstCaseWindow();
    for (auto _ : state) {
        benchmark::DoNotOptimize(trovik::detail::FindSignaturePortable(window));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * window.size()));
}
BENCHMARK(BM_FindSignaturePortable);

}  // namespace

BENCHMARK_MAIN();

// The whole scan pass over a file whose reads come in pieces of any size, whose reported length
// may be 0 (as in /proc), right, or too large (it shrank), and whose reads may fail: the verdict
// is the reference search over the first ScanWindowSize bytes of the file, or Unreadable with
// the read's error; the file is closed exactly once, and the reads stop.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/ReferenceSearch.h"
#include "scan/ScanFile.h"

namespace {

using trovik::FileService;
using trovik::NativeFile;
using trovik::OpenedFile;
using trovik::Result;
using trovik::ScanVerdict;

// A file held in memory that hands out its bytes in the given pieces, in turn.
class PieceByPieceFile final : public FileService {
public:
    std::vector<std::uint8_t> content;
    std::uint64_t reportedSize = 0;
    std::vector<std::size_t> pieces{1};
    std::size_t failingRead = SIZE_MAX;  // this read (from 0) fails with EIO
    std::size_t reads = 0;
    int opens = 0;
    int closes = 0;

    Result<OpenedFile> open(const std::filesystem::path&) noexcept override {
        ++opens;
        return OpenedFile{7, reportedSize};
    }
    Result<std::size_t> read(NativeFile, std::span<std::byte> into) noexcept override {
        const std::size_t number = reads++;
        if (number == failingRead) {
            return std::error_code(EIO, std::system_category());
        }
        const std::size_t piece = pieces[number % pieces.size()];
        const std::size_t count = std::min({into.size(), piece, content.size() - m_position});
        if (count != 0) {
            std::memcpy(into.data(), content.data() + m_position, count);
            m_position += count;
        }
        return count;
    }
    void close(NativeFile) noexcept override { ++closes; }

private:
    std::size_t m_position = 0;
};

void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "scan pass: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    PieceByPieceFile file;

    // Pieces of 1 byte to more than the window, cycled; at least one of them non-empty.
    const auto pieceCount = input.ConsumeIntegralInRange<std::size_t>(1, 6);
    file.pieces.clear();
    for (std::size_t i = 0; i < pieceCount; ++i) {
        file.pieces.push_back(input.ConsumeIntegralInRange<std::size_t>(1, 33000));
    }
    const bool failing = input.ConsumeBool();
    if (failing) {
        file.failingRead = input.ConsumeIntegralInRange<std::size_t>(0, 40);
    }
    // The bytes sit after a run of zeros, so that short inputs reach the edge of the window.
    const auto lead = input.ConsumeIntegralInRange<std::size_t>(0, 40000);
    const auto reported = input.ConsumeIntegralInRange<int>(0, 2);
    const std::string tail = input.ConsumeRemainingBytesAsString();
    file.content.assign(lead, 0);
    file.content.insert(file.content.end(), tail.begin(), tail.end());
    const std::size_t length = file.content.size();
    file.reportedSize = reported == 0 ? 0 : reported == 1 ? length : length + 1000;

    ScanVerdict verdict;
    {
        const trovik::ScanPass pass = trovik::ScanFile("/fuzzed", file);
        verdict = pass.verdict();
        require(file.closes == 0, "the file was closed while the pass held it");
    }
    require(file.opens == 1 && file.closes == 1, "the file was not closed exactly once");

    // Reading stops once the window is full or the file ends: no more reads than bytes, plus the
    // one that finds the end.
    const std::size_t window = std::min(length, trovik::ScanWindowSize);
    require(file.reads <= window + 1, "too many reads");

    // The reads the scan must make: those that fill the window, then, for a file shorter than the
    // window, the one that finds its end, unless the reported length already told. A failure
    // among them fails the scan.
    std::size_t issued = 0;
    for (std::size_t got = 0; got < window; ++issued) {
        got += std::min(file.pieces[issued % file.pieces.size()], window - got);
    }
    if (length < trovik::ScanWindowSize && !(reported == 1 && length > 0)) {
        ++issued;
    }
    const bool failed = failing && file.failingRead < issued;
    if (failed) {
        require(verdict == ScanVerdict::unreadable(std::error_code(EIO, std::system_category())),
                "a failed read did not give Unreadable with its error");
        return 0;
    }
    const bool stealer = trovik::fuzz::referenceSearch(file.content.data(), window).has_value();
    require(verdict == (stealer ? ScanVerdict::passwordStealer() : ScanVerdict::clean()),
            "the verdict is not the reference search over the window");
    return 0;
}

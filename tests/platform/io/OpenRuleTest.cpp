#include <gtest/gtest.h>

#include <vector>

#include "platform/io/OpenRule.h"

namespace trovik {
namespace {

// When one read from the start leaves nothing for a second read to change. (The open made again
// without O_NOATIME, on a file of another user's, is met by the hostile tests' runs as "nobody";
// which kinds of file are read by the batch reader's and the hostile tests, on real files.)
TEST(OpenRule, FirstReadSettlesAFullWindowTheEndOrTheReportedLength) {
    struct Row {
        std::size_t received;
        std::uint64_t reported;
        bool settles;
    };
    constexpr std::size_t Window = 32000;
    for (const auto& [received, reported, settles] : std::vector<Row>{
             {Window, 5, true},  // full, whatever the file says of itself
             {0, 100, true},     // the end at once, though it said otherwise: it shrank
             {100, 100, true},   // the reported length, whole
             {99, 100, false},   // short of it: a file system that reads in pieces
             {101, 100, false},  // beyond it, short of the window: it grew
             {100, 0, false},    // no length reported (as in /proc): read on to the end
             {Window - 1, Window, false},
         }) {
        EXPECT_EQ(firstReadSettles(received, Window, reported), settles)
            << received << " of " << reported;
    }
}

}  // namespace
}  // namespace trovik

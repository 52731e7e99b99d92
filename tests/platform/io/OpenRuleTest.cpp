#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "platform/io/OpenRule.h"

namespace trovik {
namespace {

// When one read from the start leaves nothing for a second read to change.
TEST(OpenRule, FirstReadSettlesAFullWindowTheEndOrTheReportedLength) {
    struct Row {
        std::size_t received;
        std::uint64_t reported;
        bool settles;
    };
    constexpr std::size_t Window = 32000;
    for (const auto& [received, reported, settles] : std::vector<Row>{
             {Window, 0, true},  // full, whatever the file says of itself
             {Window, 5, true},  // full, a file that grew past its reported length
             {0, 0, true},       // the end at once: an empty file
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

#ifndef _WIN32
// Which kinds of file are read is held by the batch reader's and the hostile tests, on real files.
TEST(OpenRule, OnlyEpermOpensAgain) {
    EXPECT_EQ(retryWithoutNoAccessTime(EPERM), NoAccessTime != 0);
    EXPECT_FALSE(retryWithoutNoAccessTime(EACCES));
    EXPECT_FALSE(retryWithoutNoAccessTime(ENOENT));
}
#endif

}  // namespace
}  // namespace trovik

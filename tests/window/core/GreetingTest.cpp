#include <gtest/gtest.h>

#include "support/RecordingMessageBox.h"
#include "window/core/Greeting.h"

namespace trovik::test {
namespace {

TEST(ShowGreeting, ShowsTheThreeParagraphsCharacterForCharacterWithTheInformationIcon) {
    RecordingMessageBox messages;
    showGreeting(messages);
    EXPECT_EQ(
        messages.shown,
        (Boxes{{"Sup, I made this program in 5 minutes!  I just made it because there are no other "
                "trovik's out there that can detect the new AOL 4.0 winsock password stealer out "
                "there.  This trovik can detect every pws out there!\r\r"
                "Don't forget to visit my new website, https://trovik.example.org!\r\r"
                "-zelvo",
                MessageIcon::Information}}));
}

}  // namespace
}  // namespace trovik::test

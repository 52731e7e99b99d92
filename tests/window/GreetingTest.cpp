#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/Greeting.h"

namespace trovik {
namespace {

TEST(ShowGreeting, ShowsTheThreeParagraphsCharacterForCharacterWithTheInformationIcon) {
    struct Recorder final : MessageBoxService {
        void show(std::string_view text, MessageIcon icon) override {
            shown.emplace_back(text, icon);
        }
        std::vector<std::pair<std::string, MessageIcon>> shown;
    } messages;
    ShowGreeting(messages);
    const std::string expected =
        "Sup, I made this program in 5 minutes!  I just made it because there are no other "
        "trovik's out there that can detect the new AOL 4.0 winsock password stealer out there.  "
        "This trovik can detect every pws out there!\r\r"
        "Don't forget to visit my new website, https://trovik.example.org!\r\r"
        "-zelvo";
    EXPECT_EQ(messages.shown, (decltype(messages.shown){{expected, MessageIcon::Information}}));
}

}  // namespace
}  // namespace trovik

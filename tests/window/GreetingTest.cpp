#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/Greeting.h"

namespace trovik {
namespace {

TEST(GreetingText, IsTheThreeParagraphsCharacterForCharacter) {
    const std::string expected =
        "Sup, I made this program in 5 minutes!  I just made it because there are no other "
        "trovik's out there that can detect the new AOL 4.0 winsock password stealer out there.  "
        "This trovik can detect every pws out there!\r\r"
        "Don't forget to visit my new website, https://trovik.example.org!\r\r"
        "-zelvo";
    EXPECT_EQ(GreetingText(), expected);
}

struct Shown {
    std::string text;
    MessageIcon icon;
};

class RecordingMessages final : public MessageBoxService {
public:
    void show(std::string_view text, MessageIcon icon) override {
        shown.push_back(Shown{std::string(text), icon});
    }
    std::vector<Shown> shown;
};

TEST(ShowGreeting, ShowsOneBoxWithTheInformationIcon) {
    RecordingMessages messages;
    ShowGreeting(messages);
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_EQ(messages.shown[0].text, GreetingText());
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
}

}  // namespace
}  // namespace trovik

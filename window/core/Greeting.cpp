#include "window/core/Greeting.h"

namespace trovik {

std::string greetingText() {
    constexpr std::string_view introduction =
        "Sup, I made this program in 5 minutes!  I just made it because there are no other "
        "trovik's out there that can detect the new AOL 4.0 winsock password stealer out there.  "
        "This trovik can detect every pws out there!";
    constexpr std::string_view blankLine = "\r\r";

    std::string text(introduction);
    text += blankLine;
    text += "Don't forget to visit my new website, ";
    text += GreetingWebsite;
    text += "!";
    text += blankLine;
    text += "-zelvo";
    return text;
}

void showGreeting(MessageBoxService& messages) {
    messages.show(greetingText(), GreetingIcon);
}

}  // namespace trovik

#pragma once

#include <string>
#include <string_view>

#include "platform/MessageBoxService.h"

namespace trovik {

// The application's title: the main window's caption and the title of every message box.
inline constexpr std::string_view ApplicationTitle = "trovik by -zelvo-";

// The address the greeting invites the user to visit.
inline constexpr std::string_view GreetingWebsite = "https://trovik.example.org";

// The start-up greeting: the introduction, the web sentence and the signature, separated by blank
// lines made of carriage returns alone.
std::string greetingText();

// The greeting's box style: the information icon.
inline constexpr MessageIcon GreetingIcon = MessageIcon::Information;

// Shows the greeting and returns once the user has dismissed it.
void showGreeting(MessageBoxService& messages);

}  // namespace trovik

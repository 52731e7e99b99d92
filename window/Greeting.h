#pragma once

#include <string>
#include <string_view>

#include "platform/MessageBoxService.h"

namespace trovik {

// The address the greeting invites the user to visit.
inline constexpr std::string_view GreetingWebsite = "https://trovik.example.org";

// The start-up greeting: the introduction, the web sentence and the signature, separated by blank
// lines made of carriage returns alone.
std::string GreetingText();

// Shows the greeting with the information icon and returns once the user has dismissed it.
void ShowGreeting(MessageBoxService& messages);

}  // namespace trovik

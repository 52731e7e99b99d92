#pragma once

namespace trovik {

// The application's title: the main window's caption and the title of every message box.
inline constexpr char ApplicationTitle[] = "trovik by -zelvo-";

}  // namespace trovik

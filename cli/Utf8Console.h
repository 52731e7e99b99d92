#pragma once

#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>

namespace trovik::cli {

// Everything trovik-scan prints is UTF-8, byte for byte as on other systems: while this lives, the
// standard streams do not turn "\n" into "\r\n", a console shows UTF-8, and standard input that is
// not a console is read as bytes. The console's own code
// page comes back at the end, since the console outlives the program.
class Utf8Console {
public:
    Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;
    ~Utf8Console();

private:
    UINT m_consoleCodePage;
};

// The arguments of wmain, which arrive as UTF-16 whatever the code page, as UTF-8.
std::vector<std::string> utf8Arguments(int argc, const wchar_t* const* argv);

}  // namespace trovik::cli
#endif

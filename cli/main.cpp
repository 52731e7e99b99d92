#include <iostream>

#include "cli/CommandLine.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string toUtf8(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back();  // the terminating zero
    return utf8;
}

// Everything trovik-scan prints is UTF-8, byte for byte as on other systems: the streams do not
// turn "\n" into "\r\n", and a console shows UTF-8 while the program runs.
class Utf8Output {
public:
    Utf8Output() : m_consoleCodePage(::GetConsoleOutputCP()) {
        ::_setmode(::_fileno(stdout), _O_BINARY);
        ::_setmode(::_fileno(stderr), _O_BINARY);
        if (m_consoleCodePage != 0) {
            ::SetConsoleOutputCP(CP_UTF8);
        }
    }
    Utf8Output(const Utf8Output&) = delete;
    Utf8Output& operator=(const Utf8Output&) = delete;
    ~Utf8Output() {
        std::cout.flush();
        std::cerr.flush();
        if (m_consoleCodePage != 0) {
            ::SetConsoleOutputCP(m_consoleCodePage);  // the console outlives us
        }
    }

private:
    UINT m_consoleCodePage;
};

}  // namespace

// Arguments arrive as UTF-16, whatever the code page, so any name can be passed; the command line
// takes them as UTF-8.
int wmain(int argc, wchar_t** argv) {
    std::ios::sync_with_stdio(false);
    const Utf8Output output;
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(toUtf8(argv[i]));
    }
    return trovik::cli::RunCommandLine(arguments, std::cout, std::cerr,
                                       trovik::systemFileService());
}

#else

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return trovik::cli::RunCommandLine({argv, argv + argc}, std::cout, std::cerr,
                                       trovik::systemFileService());
}

#endif

#include "cli/Utf8Console.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>

#include "platform/io/Text.h"

namespace trovik::cli {

Utf8Console::Utf8Console() : m_consoleCodePage(::GetConsoleOutputCP()) {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    // A list piped or redirected in is read as the bytes it is: text mode would end a UTF-16 list
    // at its first 0x1A byte. The list reader drops the carriage returns itself. A console keeps
    // text mode, where Ctrl+Z ends what is typed.
    if (::GetFileType(::GetStdHandle(STD_INPUT_HANDLE)) != FILE_TYPE_CHAR) {
        ::_setmode(::_fileno(stdin), _O_BINARY);
    }
    if (m_consoleCodePage != 0) {  // 0: no console, output goes to a file or a pipe
        ::SetConsoleOutputCP(CP_UTF8);
    }
}

Utf8Console::~Utf8Console() {
    std::cout.flush();
    std::cerr.flush();
    if (m_consoleCodePage != 0) {
        ::SetConsoleOutputCP(m_consoleCodePage);
    }
}

std::vector<std::string> utf8Arguments(int argc, const wchar_t* const* argv) {
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(utf8FromWide(argv[i]));
    }
    return arguments;
}

}  // namespace trovik::cli

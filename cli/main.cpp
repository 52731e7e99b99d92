#include <iostream>

#include "cli/CommandLine.h"
#include "cli/Report.h"
#include "cli/Utf8Console.h"

namespace {

trovik::cli::Console standardConsole() {
    return {std::cin, std::cout, std::cerr, trovik::cli::standardErrorIsTerminal(),
            trovik::cli::standardErrorColumns()};
}

}  // namespace

#ifdef _WIN32
// Arguments arrive as UTF-16, so any name can be passed; the command line takes them as UTF-8.
int wmain(int argc, wchar_t** argv) {
    std::ios::sync_with_stdio(false);
    const trovik::cli::Utf8Console console;
    return trovik::cli::runCommandLine(trovik::cli::utf8Arguments(argc, argv), standardConsole(),
                                       trovik::systemFileService());
}
#else
int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return trovik::cli::runCommandLine({argv, argv + argc}, standardConsole(),
                                       trovik::systemFileService());
}
#endif

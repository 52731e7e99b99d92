#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Report.h"
#include "cli/Utf8Console.h"

namespace {

trovik::cli::Console standardConsole() {
    return {std::cin,
            std::cout,
            std::cerr,
            trovik::cli::standardErrorIsTerminal(),
            trovik::cli::standardErrorColumns(),
            trovik::cli::standardOutputIsTerminal(),
            trovik::cli::standardStreamsShareTerminal()};
}

// Runs the command line; whatever fails on the way ends as a message and status 2, never as an
// abort with another status.
int guarded(const std::vector<std::string>& arguments) {
    try {
        // The system's files, read in batches where the system allows it, unless
        // TROVIK_SCAN_IO=single asks for each to be read on its own.
        const char* choice = std::getenv("TROVIK_SCAN_IO");
        return trovik::cli::runCommandLine(
            arguments, standardConsole(), trovik::systemFileService(),
            trovik::cli::systemBatchReaders(choice != nullptr ? choice : ""));
    } catch (const std::exception& failure) {
        std::cerr << "trovik-scan: " << failure.what() << '\n';
    } catch (...) {
        std::cerr << "trovik-scan: unexpected failure\n";
    }
    return trovik::cli::NotAllScanned;
}

}  // namespace

#ifdef _WIN32
// Arguments arrive as UTF-16, so any name can be passed; the command line takes them as UTF-8.
int wmain(int argc, wchar_t** argv) {
    std::ios::sync_with_stdio(false);
    const trovik::cli::Utf8Console console;
    return guarded(trovik::cli::utf8Arguments(argc, argv));
}
#else
int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return guarded({argv, argv + argc});
}
#endif

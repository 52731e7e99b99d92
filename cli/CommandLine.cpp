#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <thread>

#include "Version.h"
#include "cli/ParallelScan.h"
#include "cli/Targets.h"
#include "platform/io/Text.h"

namespace trovik::cli {
namespace {

constexpr const char* ProgramName = "trovik-scan";

std::filesystem::path pathFromArgument(const std::string& argument) {
#ifdef _WIN32
    // Arguments arrive as UTF-8 on Windows (see main).
    return std::filesystem::path(std::u8string(argument.begin(), argument.end()));
#else
    return argument;  // a name's bytes, whatever they encode
#endif
}

#ifdef _WIN32
std::string pathForOutput(const std::filesystem::path& path) {
    return utf8String(path.u8string());
}
#else
const std::string& pathForOutput(const std::filesystem::path& path) {
    return path.native();
}
#endif

const char* verdictWord(ScanVerdict::Kind kind) {
    return kind == ScanVerdict::Kind::PasswordStealer ? "PASSWORD STEALER" : "CLEAN";
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   FileService& files) {
    CLI::App app{
        "Tells whether files are password stealers: looks for the stealer signatures "
        "in the first 32000 bytes of each file, without regard to letter case.",
        ProgramName};
    app.set_version_flag("--version", std::string(ProgramName) + " " + std::string(VersionText) +
                                          "\n" + std::string(CommentText));
    app.footer(
        "Exit status: 0 if every file is clean, 1 if any file is a password stealer, "
        "otherwise 2 if any path could not be scanned.\n");

    bool recursive = false;
    bool quiet = false;
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::string> paths;
    app.add_flag("-r,--recursive", recursive, "Scan the files in folders and their subfolders");
    app.add_option("-j,--jobs", jobs, "Scan with N threads (default: the number of cores)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u));
    app.add_flag("-q,--quiet", quiet, "Print nothing; only the exit status tells");
    app.add_option("PATH", paths, "Files to scan, or folders with -r")->required();

    // CLI11 takes the arguments after the program name, last first.
    std::vector<std::string> tail;
    if (!arguments.empty()) {
        tail.assign(arguments.rbegin(), arguments.rend() - 1);
    }
    try {
        app.parse(tail);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {
            return app.exit(error, out, err);  // --help, --version
        }
        err << ProgramName << ": " << error.what() << "\n"
            << "Try '" << ProgramName << " --help' for more information.\n";
        return NotAllScanned;
    }

    std::vector<std::filesystem::path> named;
    named.reserve(paths.size());
    std::transform(paths.begin(), paths.end(), std::back_inserter(named), pathFromArgument);

    bool stealerFound = false;
    bool failure = false;
    ScanInOrder(
        [&](const TargetSink& emit) { CollectTargets(named, recursive, emit); }, jobs, files,
        [&](const Target& target, const ScanVerdict& verdict) {
            if (verdict.kind == ScanVerdict::Kind::Unreadable) {
                failure = true;
                if (!quiet) {
                    err << ProgramName << ": " << pathForOutput(target.path) << ": "
                        << verdict.error.message() << '\n';
                }
                return true;
            }
            stealerFound = stealerFound || verdict.kind == ScanVerdict::Kind::PasswordStealer;
            if (quiet) {
                return !stealerFound;  // the status is settled by the first stealer
            }
            out << pathForOutput(target.path) << ": " << verdictWord(verdict.kind) << '\n';
            return true;
        });
    out.flush();
    if (stealerFound) {
        return StealerFound;
    }
    return failure ? NotAllScanned : AllClean;
}

}  // namespace trovik::cli

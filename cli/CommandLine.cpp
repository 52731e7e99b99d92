#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <string_view>
#include <thread>

#include "Version.h"
#include "cli/PathList.h"
#include "cli/Report.h"
#include "cli/Targets.h"
#include "scan/ScanFile.h"
#include "scan/ScanPipeline.h"
#include "scan/SignatureMatcher.h"

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

struct Options {
    WalkOptions walk;
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    std::string jobsText;  // as given with -j, read by readJobs
    bool quiet = false;
    bool noMessages = false;
    bool infectedOnly = false;
    bool showMatches = false;
    bool json = false;
    bool summary = false;
    bool nulSeparated = false;
    bool printNames = false;  // -Z: each name alone, ended by a NUL
    std::vector<std::string> filesFrom;
    std::vector<std::string> paths;
};

// What standard input stands for: as a path, a file to scan; as a list, the list.
constexpr const char* StandardInput = "-";
// The name a scan of standard input is shown under, as grep shows it.
constexpr const char* StandardInputName = "(standard input)";

constexpr const char* Examples =
    "Examples:\n"
    "  trovik-scan setup.exe                  scan one file\n"
    "  trovik-scan -r -j 2 ~/Downloads        a folder and its subfolders, two threads\n"
    "  trovik-scan -q setup.exe || echo bad   only the exit status tells\n"
    "  trovik-scan -r -i ~/Downloads          print the password stealers only\n"
    "  trovik-scan -s tool.exe                tool.exe: PASSWORD STEALER (SEXSTORY at 5000)\n"
    "  trovik-scan --json -r ~/Downloads      one JSON object a line, for scripts\n"
    "  trovik-scan -f list.txt                the paths in list.txt, one a line\n"
    "  curl -s URL | trovik-scan -            what arrives on standard input\n"
    "  trovik-scan -r -i -Z . | xargs -0 ls -l\n"
    "  find . -name '*.exe' -print0 | trovik-scan -0 -f -\n"
    "  trovik-scan -r --exclude '*.txt' --exclude-dir .git .\n"
    "  trovik-scan -r -L ~/Downloads          follow links to folders\n"
    "  trovik-scan -r --summary /mnt/share    counts and time on standard error\n";

// The first line of a usage error, and where to read more.
int usageError(std::ostream& err, const std::string& what) {
    err << ProgramName << ": " << what << "\n"
        << "Try '" << ProgramName << " --help' for more information.\n";
    return NotAllScanned;
}

constexpr unsigned MostJobs = 1024;

// How the walk options read where the program runs: names on Windows match in any letter case, as
// the system takes them, and its links include junctions.
#ifdef _WIN32
constexpr std::string_view GlobCase = ", in any letter case";
constexpr std::string_view LinkKinds = "symbolic links and junctions";
#else
constexpr std::string_view GlobCase;
constexpr std::string_view LinkKinds = "symbolic links";
#endif

// The usage error CLI11 found, said as trovik-scan says its own.
std::string usageText(const CLI::ParseError& error) {
    std::string what = error.what();
    const std::string option = what.substr(0, what.find(':'));
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        return what.find("At Most") != std::string::npos ? option + " can be given only once"
                                                         : option + " wants a value";
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        return "unknown option '" + what.substr(what.find(": ") + 2) + "'";
    }
    return what;
}

// An option that takes no value given one, as --json=false, which CLI11 would take; empty if none.
// `arguments` in their order, the program name first.
std::string flagGivenAValue(CLI::App& app, const std::vector<std::string>& arguments) {
    for (const std::string& argument :
         std::span(arguments).subspan(std::min<std::size_t>(1, arguments.size()))) {
        if (argument == "--") {
            break;
        }
        const auto equals = argument.find('=');
        if (argument.starts_with("--") && equals != std::string::npos) {
            const CLI::Option* option = app.get_option_no_throw(argument.substr(0, equals));
            if (option != nullptr && option->get_expected_max() == 0) {
                return argument.substr(0, equals) + " takes no value, not '" +
                       argument.substr(equals + 1) + "'";
            }
        }
    }
    return {};
}

// The number of threads of -j, if `given`: decimal digits alone, from 1 to MostJobs; false if it is
// not one.
bool readJobs(Options& options, bool given) {
    if (!given) {
        return true;
    }
    const char* first = options.jobsText.data();
    const char* last = first + options.jobsText.size();
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(first, last, jobs);
    if (error != std::errc() || end != last || jobs < 1 || jobs > MostJobs) {
        return false;
    }
    options.jobs = jobs;
    return true;
}

// Tells of a report that could not be written; true when it was lost. A reader that went away (a
// closed pipe) is no failure to tell of, as with grep.
bool toldLost(const std::error_code& lost, std::ostream& err) {
    if (lost && lost != std::errc::broken_pipe) {
        err << ProgramName << ": write error: " << lost.message() << '\n';
    }
    return static_cast<bool>(lost);
}

// Writes `text` whole to `to`; the status, 2 when it could not be written.
int writeWhole(std::ostream& to, const std::string& text, std::ostream& err) {
    OutputChannel channel(to);
    channel.write(text);
    channel.flush();
    return toldLost(channel.error(), err) ? NotAllScanned : AllClean;
}

// Why the options given cannot go together; empty when they can.
std::string clashingOptions(const Options& options) {
    const auto count = [](const std::vector<std::string>& words) {
        return std::count(words.begin(), words.end(), StandardInput);
    };
    if (options.paths.empty() && options.filesFrom.empty()) {
        return "PATH is required, or --files-from FILE";
    }
    if (options.nulSeparated && options.filesFrom.empty()) {
        return "--null works with --files-from only";
    }
    if (count(options.paths) + count(options.filesFrom) > 1) {
        return "standard input (-) can be read only once";
    }
    if (options.printNames && (options.json || options.showMatches)) {
        return std::string("-Z prints names alone, without ") +
               (options.json ? "--json" : "--show-match");
    }
    return {};
}

// Standard input scanned as one file: its first ScanWindowSize bytes, read as they come.
Target standardInputTarget(std::istream& in, MatchDetail detail) {
    std::vector<std::byte> window(ScanWindowSize);
    errno = 0;
    in.read(reinterpret_cast<char*>(window.data()), static_cast<std::streamsize>(window.size()));
    Target target{StandardInputName, {}};
    if (in.bad()) {
        target.error = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
    } else {
        target.verdict =
            scanWindow(std::span(window).first(static_cast<std::size_t>(in.gcount())), detail);
    }
    return target;
}

// A list of paths of --files-from, open for reading.
struct OpenList {
    std::string name;  // as given
    std::unique_ptr<std::ifstream> file;
    std::istream* stream = nullptr;
    std::optional<PathList> entries;
};

// Opens a list file; why not, when it cannot be. A folder is asked about first: it opens on Linux
// and fails only when read, and on Windows it fails to open as if access were denied.
std::error_code openListFile(const std::filesystem::path& path, std::ifstream& file) {
    if (std::error_code unknown; std::filesystem::is_directory(path, unknown)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    file.open(path, std::ios::binary);
    return file.is_open() ? std::error_code() : std::error_code(errno, std::generic_category());
}

// Opens each list of --files-from; false, once each that cannot be opened is told of.
bool openLists(const Options& options, const Console& console, std::vector<OpenList>& lists) {
    const char separator = options.nulSeparated ? '\0' : '\n';
    bool opened = true;
    lists.reserve(options.filesFrom.size());
    for (const std::string& name : options.filesFrom) {
        OpenList& list = lists.emplace_back();
        list.name = name;
        list.stream = &console.in;
        if (name != StandardInput) {
            list.file = std::make_unique<std::ifstream>();
            if (const auto why = openListFile(listFilePath(pathFromArgument(name)), *list.file)) {
                console.err << ProgramName << ": "
                            << (console.errIsTerminal ? terminalText(name) : name) << ": "
                            << why.message() << '\n';
                opened = false;
            }
            list.stream = list.file.get();
        }
        list.entries.emplace(*list.stream, separator);
    }
    return opened;
}

// Whether reading on from `in` may wait for its writer (a pipe that has nothing more yet), as
// far as the system tells; a file read to its end does not wait.
bool nextLineWaits(std::istream& in) {
    return in.rdbuf()->in_avail() == 0;
}

// The program's description, options, examples and exit statuses, bound to `options`.
void describeOptions(CLI::App& app, Options& options) {
    app.set_version_flag("--version", std::string(ProgramName) + " " + std::string(VersionText) +
                                          "\n" + std::string(CommentText));
    app.footer(std::string(Examples) +
               "\nExit status: 0 if every file is clean, 1 if any file is a password stealer, "
               "otherwise 2 if any path could not be scanned, the command line was wrong or the "
               "report could not be written.\n"
#ifdef _WIN32
               "\nOn Windows, /? also prints this help; any other word that begins with / is a "
               "path.\n"
#endif
    );

    app.add_flag("-r,--recursive", options.walk.recursive,
                 "Scan the files in folders and their subfolders");
    app.add_option("-j,--jobs", options.jobsText,
                   "Scan with N threads, 1 to 1024 (default: the number of cores)")
        ->type_name("N");
    app.add_flag("-q,--quiet", options.quiet,
                 "Print no verdicts; only the exit status and failures tell");
    app.add_flag("--no-messages", options.noMessages,
                 "Do not report paths that cannot be scanned (-s is --show-match)");
    app.add_flag("-i,--infected", options.infectedOnly, "Print only the password stealers");
    app.add_flag("-s,--show-match", options.showMatches,
                 "After a stealer's verdict, the signatures found and the offset of each");
    app.add_flag("--json", options.json,
                 "One JSON object a line: path, verdict, matches, error (see trovik-scan(1))");
    app.add_option("-f,--files-from", options.filesFrom,
                   "Scan the paths listed in FILE, one a line; - is standard input (repeatable)")
        ->type_name("FILE")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1)
        ->allow_extra_args(false);
    app.add_flag("-0,--null", options.nulSeparated,
                 "The paths of --files-from end in a NUL byte, as find -print0 writes them");
    app.add_flag("-Z,--print0", options.printNames,
                 "Print each name alone, ended by a NUL byte, as find -print0 does: with -i, the "
                 "stealers' names for xargs -0");
    app.add_option("--exclude", options.walk.excludeFiles,
                   "In a walk, pass over files whose name matches GLOB" + std::string(GlobCase) +
                       " (repeatable)")
        ->type_name("GLOB")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1)
        ->allow_extra_args(false);
    app.add_option("--exclude-dir", options.walk.excludeFolders,
                   "In a walk, do not enter folders whose name matches GLOB" +
                       std::string(GlobCase) + " (repeatable)")
        ->type_name("GLOB")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1)
        ->allow_extra_args(false);
    app.add_flag("-L,--follow", options.walk.follow,
                 "In a walk, follow " + std::string(LinkKinds) +
                     " (passed over without it); each folder is scanned once");
    app.add_flag("--summary", options.summary,
                 "After the scan, print the counts and the time on standard error");
    app.add_option("PATH", options.paths,
                   "Files to scan, or folders with -r; - is standard input, shown as " +
                       std::string(StandardInputName));
}

// Parses `arguments` into `options`; the exit status when the run ends here (the help, the version,
// a usage error), none when the scan is to go on.
std::optional<int> parseOptions(const std::vector<std::string>& arguments, Options& options,
                                const Console& console) {
    CLI::App app{
        "Tells whether files are password stealers: looks for the stealer signatures "
        "in the first 32000 bytes of each file, without regard to letter case.",
        ProgramName};
    describeOptions(app, options);
    // CLI11 takes the arguments after the program name, last first.
    std::vector<std::string> tail;
    if (!arguments.empty()) {
        tail.assign(arguments.rbegin(), arguments.rend() - 1);
    }
#ifdef _WIN32
    // A word that begins with "/" is a path from the drive's root, not an option; "/?" alone asks
    // for the help, as it does of every Windows tool.
    app.allow_windows_style_options(false);
    std::replace(tail.begin(), tail.end(), std::string("/?"), std::string("--help"));
#endif
    if (const std::string wrong = flagGivenAValue(app, arguments); !wrong.empty()) {
        return usageError(console.err, wrong);
    }
    try {
        app.parse(tail);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {  // --help, --version
            std::ostringstream text;
            app.exit(error, text, text);
            return writeWhole(console.out, text.str(), console.err);
        }
        return usageError(console.err, usageText(error));
    }
    if (!readJobs(options, app.count("--jobs") > 0)) {
        return usageError(console.err, "-j wants a number from 1 to " + std::to_string(MostJobs) +
                                           ", not '" + options.jobsText + "'");
    }
    if (const std::string clash = clashingOptions(options); !clash.empty()) {
        return usageError(console.err, clash);
    }
    return std::nullopt;
}

// One scan as the options ask for it: the targets of the paths named and listed go in, and each
// verdict is reported as it comes out, with the progress line, the tally and the summary.
class ScanRun {
public:
    ScanRun(const Options& options, const Console& console, std::vector<OpenList>& lists)
        : m_options(options),
          m_console(console),
          m_lists(lists),
          m_output(console.out),
          m_progress(console.err, console.errIsTerminal && !options.quiet, console.columns,
                     m_start) {}

    [[nodiscard]] MatchDetail detail() const {
        return m_options.showMatches || m_options.json ? MatchDetail::EachSignature
                                                       : MatchDetail::VerdictOnly;
    }

    // The targets: the paths named, then each list's, in order.
    void source(const TargetSink& emit, const Settle& settle) {
        const TargetSink noting = [&](Target&& target) {
            const auto parent = target.path.parent_path();
            m_folder = parent.empty() ? "." : shownPath(parent);
            m_progress.update(m_tally.scanned + m_tally.notScanned, m_folder);
            return emit(std::move(target));
        };
        for (const auto& path : m_options.paths) {
            const bool going =
                path == StandardInput
                    ? noting(standardInputTarget(m_console.in, detail()))
                    : collectTarget(pathFromArgument(path), m_options.walk, m_seen, noting);
            if (!going) {
                return;
            }
        }
        for (OpenList& list : m_lists) {
            if (!readList(list, noting, settle)) {
                return;
            }
        }
    }

    // Reports one verdict; false when the scan is to stop.
    bool report(const Target& target, const ScanVerdict& verdict) {
        const bool unreadable = verdict.kind == ScanVerdict::Kind::Unreadable;
        const bool stealer = verdict.kind == ScanVerdict::Kind::PasswordStealer;
        ++(unreadable ? m_tally.notScanned : m_tally.scanned);
        m_tally.stealers += stealer ? 1 : 0;
        m_failure = m_failure || unreadable;
        m_stealerFound = m_stealerFound || stealer;
        if (unreadable && !m_options.json) {
            tellUnreadable(target, verdict);
        } else if (m_options.quiet) {
            // The status is settled by the first stealer, unless the summary counts them all.
            return m_options.summary || !m_stealerFound;
        } else if (!m_options.infectedOnly || verdict.kind != ScanVerdict::Kind::Clean) {
            if (!writeLine(shownPath(target.path), verdict)) {
                return false;  // the report is lost from here on: stop
            }
        }
        m_progress.update(m_tally.scanned + m_tally.notScanned, m_folder);
        return true;
    }

    // Ends the report: the lists' failures and the summary; the exit status.
    int finish() {
        m_progress.erase();
        m_output.flush();
        for (const OpenList& list : m_lists) {
            if (const auto why = list.entries->readError()) {
                m_console.err << ProgramName << ": " << named(list.name)
                              << ": the list could not be read to the end: " << why.message()
                              << '\n';
                m_failure = true;
            }
        }
        bool summaryLost = false;
        if (m_options.summary) {
            m_tally.passedOver = m_seen.passedOver();
            summaryLost =
                writeWhole(m_console.err,
                           summaryText(m_tally, std::chrono::steady_clock::now() - m_start),
                           m_console.err) != AllClean;
        }
        if (toldLost(m_output.error(), m_console.err) || summaryLost) {
            return NotAllScanned;
        }
        if (m_stealerFound) {
            return StealerFound;
        }
        return m_failure ? NotAllScanned : AllClean;
    }

private:
    // The entries of one list; false when the scan is to stop.
    bool readList(OpenList& list, const TargetSink& noting, const Settle& settle) {
        for (;;) {
            if (nextLineWaits(*list.stream) && !settle()) {
                return false;  // the first stealer settled a quiet scan
            }
            auto entry = list.entries->next();
            if (!entry) {
                return true;
            }
            // A line that names nothing is reported by its number, at once (the rest of an
            // endless line is still to be read past), and the list goes on.
            const bool going =
                entry->error
                    ? noting({pathFromArgument(list.name + ": line " + std::to_string(entry->line)),
                              entry->error}) &&
                          settle()
                    : collectTarget(entry->path, m_options.walk, m_seen, noting);
            if (!going) {
                return false;
            }
        }
    }

    // A name in a message, escaped on a terminal.
    [[nodiscard]] std::string named(const std::string& name) const {
        return m_console.errIsTerminal ? terminalText(name) : name;
    }

    void tellUnreadable(const Target& target, const ScanVerdict& verdict) {
        if (!m_options.noMessages) {
            m_progress.erase();
            m_console.err << ProgramName << ": " << named(shownPath(target.path)) << ": "
                          << verdict.error.message() << '\n';
            m_progress.redraw();
        }
    }

    // A verdict's line as the options want it: a name and its verdict, JSON, or the name alone;
    // false when it could not be written.
    bool writeLine(const std::string& shown, const ScanVerdict& verdict) {
        std::string line;
        if (m_options.printNames) {
            line = shown + '\0';  // the name's very bytes, for xargs -0
        } else if (m_options.json) {
            line = jsonLine(shown, verdict);
        } else {
            line = textLine(m_console.outIsTerminal ? terminalText(shown) : shown, verdict,
                            m_options.showMatches);
        }
        if (m_console.sharedTerminal) {
            m_progress.erase();
        }
        if (!m_output.write(line)) {
            return false;
        }
        if (m_console.sharedTerminal) {
            m_output.flush();
            m_progress.redraw();
        }
        return true;
    }

    const Options& m_options;
    const Console& m_console;
    std::vector<OpenList>& m_lists;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    OutputChannel m_output;
    ProgressLine m_progress;
    Tally m_tally;
    std::string m_folder;  // where the walk is, for the progress line
    FolderSet m_seen;
    bool m_stealerFound = false;
    bool m_failure = false;
};

}  // namespace

int runCommandLine(const std::vector<std::string>& arguments, const Console& console,
                   FileService& files, const BatchReaders& readers) {
    Options options;
    if (const auto ended = parseOptions(arguments, options, console)) {
        return *ended;
    }
    std::vector<OpenList> lists;
    if (!openLists(options, console, lists)) {
        return NotAllScanned;
    }
    ScanRun run(options, console, lists);
    scanInOrder([&](const TargetSink& emit, const Settle& settle) { run.source(emit, settle); },
                options.jobs, files, readers,
                [&](const Target& target, const ScanVerdict& verdict) {
                    return run.report(target, verdict);
                },
                run.detail());
    return run.finish();
}

BatchReaders systemBatchReaders(std::string_view choice) {
    if (choice == "single") {
        return {};
    }
    return [](unsigned readers) { return makeSystemBatchReader(readers); };
}

int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   const BatchReaders& readers) {
    return runCommandLine(arguments, Console{std::cin, out, err}, systemFileService(), readers);
}

}  // namespace trovik::cli

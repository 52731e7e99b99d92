#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

#include "scan/ScanVerdict.h"

namespace trovik::cli {

// The report's stream, which remembers the first failure to write to it: a full disk, a closed
// pipe. Once it failed, nothing more is written.
class OutputChannel {
public:
    explicit OutputChannel(std::ostream& out) : m_out(out) {}

    bool write(std::string_view text);  // false once writing failed
    bool flush();
    [[nodiscard]] std::error_code error() const noexcept { return m_error; }

private:
    void check();

    std::ostream& m_out;
    std::error_code m_error;
};

// A path as the report shows it: its own bytes on POSIX, UTF-8 on Windows.
std::string shownPath(const std::filesystem::path& path);

// `text` as a terminal may be given it: a character that is not printable (a control character,
// C0 or C1, or DEL) and a byte that is not part of valid UTF-8 are shown escaped, as
// "ls --quoting-style=escape" shows them: \a \b \t \n \v \f \r, a backslash as \\, and any other
// byte as three octal digits, ESC as \033, 0xFF as \377. Spaces and printable characters stay.
std::string terminalText(std::string_view text);

// The columns a terminal gives `text`, printable UTF-8: a wide (CJK) character takes two, a
// combining one none.
std::size_t displayWidth(std::string_view text);

// "PATH: CLEAN" or "PATH: PASSWORD STEALER", with the newline; with `showMatches`, a stealer's
// line ends in the signatures found and where, as "(SEXSTORY at 5000, ...)".
std::string textLine(const std::string& shown, const ScanVerdict& verdict, bool showMatches);

// One JSON object and a newline: "path", "verdict" (clean, stealer, error), "matches" (each
// {"signature", "offset"}) and, for an error, "error". A path that is not valid UTF-8 is given
// with each bad byte as U+FFFD in "path", and exactly, as its bytes' values, in "path_bytes".
std::string jsonLine(const std::string& shown, const ScanVerdict& verdict);

// What --summary counts.
struct Tally {
    std::size_t scanned = 0;
    std::size_t stealers = 0;
    std::size_t notScanned = 0;
    std::size_t passedOver = 0;  // links not followed, FIFOs, sockets and devices met in a walk
};
std::string summaryText(const Tally& tally, std::chrono::steady_clock::duration elapsed);

// The status line shown on a terminal while a long scan runs: the files done, the files a second
// and the folder at hand, its name escaped as terminalText does. It appears once the scan has run
// for a second, its figures change at most ten times a second, and it stays on show until
// something else is written to its terminal: erase() wipes it just before, redraw() puts it back
// just after. It fits the terminal's width less one column, so that the cursor never wraps, and is
// erased with spaces, so that it needs no terminal control codes.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // `enabled` false makes every call do nothing. `columns` is the terminal's width.
    ProgressLine(std::ostream& err, bool enabled, std::size_t columns, Clock::time_point start);
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    ~ProgressLine() { erase(); }

    void update(std::size_t done, const std::string& folder);
    void erase();   // before anything else is written to the terminal
    void redraw();  // after it: the line erased comes back as it was

private:
    [[nodiscard]] std::string fitted(std::size_t done, double seconds,
                                     const std::string& folder) const;
    void draw(const std::string& text);

    std::ostream& m_err;
    bool m_enabled;
    std::size_t m_columns;
    Clock::time_point m_start;
    Clock::time_point m_lastDraw;
    std::string m_text;            // the line last drawn
    std::size_t m_drawnWidth = 0;  // columns the line on show takes, 0 when none is
};

// Whether standard error is a terminal, and its width in columns (80 when it does not say).
// Whether standard output is one, and whether it is the same one as standard error.
bool standardErrorIsTerminal();
bool standardOutputIsTerminal();
bool standardStreamsShareTerminal();
std::size_t standardErrorColumns();

}  // namespace trovik::cli

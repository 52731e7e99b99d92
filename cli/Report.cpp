#include "cli/Report.h"

#include <algorithm>
#include <cerrno>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/io/Text.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <cstdio>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace trovik::cli {
namespace {

using Json = nlohmann::ordered_json;

bool continuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The columns a UTF-8 text takes, one a character.
std::size_t columnsOf(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !continuationByte(c); }));
}

// The end of `text` that fits in `columns`, marked with "..." when cut.
std::string tailThatFits(const std::string& text, std::size_t columns) {
    if (columnsOf(text) <= columns) {
        return text;
    }
    if (columns <= 3) {
        return std::string(columns, '.');
    }
    std::size_t from = text.size();
    std::size_t taken = 0;
    while (from > 0 && taken < columns - 3) {
        --from;
        if (!continuationByte(text[from])) {
            ++taken;
        }
    }
    return "..." + text.substr(from);
}

// Forgets the reasons of earlier failures, so that a failed write leaves its own.
void clearErrors() {
    errno = 0;
#ifdef _WIN32
    ::SetLastError(ERROR_SUCCESS);
#endif
}

}  // namespace

bool OutputChannel::write(std::string_view text) {
    if (m_error) {
        return false;
    }
    clearErrors();
    m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
    check();
    return !m_error;
}

bool OutputChannel::flush() {
    if (m_error) {
        return false;
    }
    clearErrors();
    m_out.flush();
    check();
    return !m_error;
}

void OutputChannel::check() {
    if (!m_out) {
        const int reason = errno;  // what the failed write left, before anything else runs
#ifdef _WIN32
        // The C library tells a pipe whose reader went away as EINVAL; the system tells it apart,
        // as one of three numbers (wine gives the last for a POSIX pipe).
        const DWORD why = ::GetLastError();
        if (why == ERROR_NO_DATA || why == ERROR_BROKEN_PIPE || why == ERROR_PIPE_NOT_CONNECTED) {
            m_error = std::make_error_code(std::errc::broken_pipe);
            return;
        }
#endif
        m_error = reason != 0 ? std::error_code(reason, std::generic_category())
                              : std::make_error_code(std::errc::io_error);
    }
}

std::string shownPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return utf8String(path.u8string());
#else
    return path.native();
#endif
}

std::string textLine(const std::string& shown, const ScanVerdict& verdict, bool showMatches) {
    const bool stealer = verdict.kind == ScanVerdict::Kind::PasswordStealer;
    std::string line = shown + (stealer ? ": PASSWORD STEALER" : ": CLEAN");
    if (showMatches && !verdict.matches.empty()) {
        const char* separator = " (";
        for (const SignatureMatch& match : verdict.matches) {
            line += separator;
            line += StealerSignatures[match.signature];
            line += " at " + std::to_string(match.offset);
            separator = ", ";
        }
        line += ')';
    }
    line += '\n';
    return line;
}

std::string jsonLine(const std::string& shown, const ScanVerdict& verdict) {
    Json object;
    object["path"] = shown;
    switch (verdict.kind) {
        case ScanVerdict::Kind::Clean:
            object["verdict"] = "clean";
            break;
        case ScanVerdict::Kind::PasswordStealer:
            object["verdict"] = "stealer";
            break;
        case ScanVerdict::Kind::Unreadable:
            object["verdict"] = "error";
            break;
    }
    Json matches = Json::array();
    for (const SignatureMatch& match : verdict.matches) {
        matches.push_back(
            Json{{"signature", StealerSignatures[match.signature]}, {"offset", match.offset}});
    }
    object["matches"] = std::move(matches);
    if (verdict.kind == ScanVerdict::Kind::Unreadable) {
        object["error"] = verdict.error.message();
    }
    try {
        (void)Json(shown).dump();
    } catch (const Json::type_error&) {
        // Not valid UTF-8: a name's bytes on POSIX need not be. They are given exactly beside it.
        Json bytes = Json::array();
        for (const char c : shown) {
            bytes.push_back(static_cast<unsigned char>(c));
        }
        object["path_bytes"] = std::move(bytes);
    }
    // A system's reason that is not UTF-8 either comes with U+FFFD for its bad bytes.
    return object.dump(-1, ' ', false, Json::error_handler_t::replace) + '\n';
}

std::string summaryText(const Tally& tally, std::chrono::steady_clock::duration elapsed) {
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const double rate = seconds > 0 ? static_cast<double>(tally.scanned) / seconds : 0.0;
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << "Scanned files: " << tally.scanned << '\n'
         << "Password stealers: " << tally.stealers << '\n'
         << "Not scanned: " << tally.notScanned << '\n'
         << "Passed over: " << tally.passedOver << '\n';
    text.setf(std::ios::fixed);
    text.precision(2);
    text << "Time: " << seconds << " s (";
    text.precision(0);
    text << rate << " files/s)\n";
    return text.str();
}

ProgressLine::ProgressLine(std::ostream& err, bool enabled, std::size_t columns,
                           Clock::time_point start)
    : m_err(err),
      m_enabled(enabled),
      m_columns(std::max<std::size_t>(columns, 20)),
      m_start(start),
      m_lastDraw(start) {}

void ProgressLine::update(std::size_t done, const std::string& folder) {
    using namespace std::chrono_literals;
    if (!m_enabled) {
        return;
    }
    const auto now = Clock::now();
    if (now - m_start < 1s || now - m_lastDraw < 100ms) {
        return;
    }
    m_lastDraw = now;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    std::string text =
        "Scanned " + std::to_string(done) + " files, " +
        std::to_string(static_cast<std::size_t>(static_cast<double>(done) / seconds)) +
        " files/s, in ";
    // One column is left free, so that the cursor never wraps onto the next line.
    const std::size_t room = m_columns - 1;
    text += tailThatFits(folder, room > columnsOf(text) ? room - columnsOf(text) : 0);
    const std::size_t width = columnsOf(text);
    m_err << '\r' << text;
    if (width < m_drawnWidth) {
        m_err << std::string(m_drawnWidth - width, ' ');  // what is left of the longer line
    }
    m_drawnWidth = std::max(width, m_drawnWidth);
    m_err.flush();
}

void ProgressLine::erase() {
    if (m_drawnWidth == 0) {
        return;
    }
    m_err << '\r' << std::string(m_drawnWidth, ' ') << '\r';
    m_err.flush();
    m_drawnWidth = 0;
}

bool standardErrorIsTerminal() {
#ifdef _WIN32
    return ::_isatty(::_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

std::size_t standardErrorColumns() {
#ifndef _WIN32
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
#endif
    return 80;
}

}  // namespace trovik::cli

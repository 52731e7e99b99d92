#include "cli/Report.h"

#include <algorithm>
#include <cerrno>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/io/Text.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <cstdio>
#else
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cwchar>
#endif

namespace trovik::cli {
namespace {

using Json = nlohmann::ordered_json;

// One character of a text: its bytes, and the columns a terminal gives it; none when it is not
// printable or not valid UTF-8, a single byte then.
struct Character {
    std::string_view bytes;
    std::optional<std::size_t> columns;
};

#ifdef _WIN32
// The code point of the UTF-8 character `text` begins with, and its length; none for a byte that
// does not begin a well-formed one.
std::optional<std::pair<char32_t, std::size_t>> decodeUtf8(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || length > text.size()) {
        return std::nullopt;
    }
    char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    static constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < Least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return std::nullopt;
    }
    return std::pair{code, length};
}

// The columns a console gives a printable character, by the system's own character types: none
// for a combining mark, two for a wide one (ideographs, kana, Hangul, full-width forms, and the
// pictographs past the first plane), one for the rest.
std::size_t consoleColumns(char32_t code) {
    if (code >= 0x10000) {
        return (code >= 0x1F300 && code <= 0x1FAFF) || (code >= 0x20000 && code <= 0x3FFFD) ? 2 : 1;
    }
    const auto unit = static_cast<wchar_t>(code);
    WORD types = 0;
    ::GetStringTypeW(CT_CTYPE3, &unit, 1, &types);
    if ((types & C3_NONSPACING) != 0) {
        return 0;
    }
    const bool hangul = (code >= 0x1100 && code <= 0x115F) || (code >= 0xAC00 && code <= 0xD7A3);
    const bool wide = (types & (C3_FULLWIDTH | C3_IDEOGRAPH)) != 0 ||
                      ((types & (C3_KATAKANA | C3_HIRAGANA)) != 0 && (types & C3_HALFWIDTH) == 0);
    return wide || hangul ? 2 : 1;
}

// As the C library tells it elsewhere: control characters (C0, DEL, C1) and bytes that are not
// well-formed UTF-8 are not printable.
Character characterAt(std::string_view text) {
    const auto decoded = decodeUtf8(text);
    if (!decoded) {
        return {text.substr(0, 1), std::nullopt};
    }
    const auto [code, length] = *decoded;
    if (code < 0x20 || (code >= 0x7F && code < 0xA0)) {
        return {text.substr(0, length), std::nullopt};
    }
    return {text.substr(0, length), consoleColumns(code)};
}
#else
// The C library's UTF-8 and character widths, whatever the user's locale: this thread takes
// C.UTF-8 while it lives.
class Utf8Locale {
public:
    Utf8Locale() : m_previous(::uselocale(utf8())) {}
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;
    ~Utf8Locale() { ::uselocale(m_previous); }

private:
    static locale_t utf8() {
        static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
        return locale != locale_t{} ? locale : LC_GLOBAL_LOCALE;
    }

    locale_t m_previous;
};

Character characterAt(std::string_view text) {
    std::mbstate_t state{};
    wchar_t wide = 0;
    const std::size_t length = std::mbrtowc(&wide, text.data(), text.size(), &state);
    if (length == 0 || length > text.size()) {  // NUL, a bad byte or a character cut short
        return {text.substr(0, 1), std::nullopt};
    }
    const int columns = ::wcwidth(wide);
    if (columns < 0) {
        return {text.substr(0, length), std::nullopt};
    }
    return {text.substr(0, length), static_cast<std::size_t>(columns)};
}
#endif

// Calls `each` with every character of `text` in turn.
template <typename Each>
void forEachCharacter(std::string_view text, Each each) {
#ifndef _WIN32
    const Utf8Locale locale;
#endif
    while (!text.empty()) {
        const Character character = characterAt(text);
        each(character);
        text.remove_prefix(character.bytes.size());
    }
}

// A byte as terminalText shows it.
std::string escapedByte(char c) {
    static constexpr std::string_view Named = "\a\b\t\n\v\f\r\\";
    static constexpr std::string_view Letters = "abtnvfr\\";
    if (const auto at = Named.find(c); at != std::string_view::npos) {
        return {'\\', Letters[at]};
    }
    const auto byte = static_cast<unsigned char>(c);
    return {'\\', static_cast<char>('0' + (byte >> 6)), static_cast<char>('0' + ((byte >> 3) & 7)),
            static_cast<char>('0' + (byte & 7))};
}

// The end of `text`, printable, that fits in `columns`, marked with "..." when cut.
std::string tailThatFits(const std::string& text, std::size_t columns) {
    if (displayWidth(text) <= columns) {
        return text;
    }
    if (columns <= 3) {
        return std::string(columns, '.');
    }
    std::vector<Character> characters;
    forEachCharacter(text, [&](const Character& character) { characters.push_back(character); });
    std::size_t from = text.size();
    std::size_t taken = 0;
    for (auto it = characters.rbegin(); it != characters.rend(); ++it) {
        const std::size_t columnsOfIt = it->columns.value_or(0);
        if (taken + columnsOfIt > columns - 3) {
            break;
        }
        taken += columnsOfIt;
        from -= it->bytes.size();
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

std::string terminalText(std::string_view text) {
    std::string shown;
    forEachCharacter(text, [&](const Character& character) {
        if (character.columns && character.bytes != "\\") {
            shown += character.bytes;
            return;
        }
        for (const char c : character.bytes) {
            shown += escapedByte(c);
        }
    });
    return shown;
}

std::size_t displayWidth(std::string_view text) {
    std::size_t columns = 0;
    forEachCharacter(text, [&](const Character& character) {
        columns += character.columns.value_or(character.bytes.size() * 4);
    });
    return columns;
}

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
      m_columns(std::max<std::size_t>(columns, 1)),
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
    draw(fitted(done, std::chrono::duration<double>(now - m_start).count(), folder));
}

// The line in the terminal's width less one column: in full, or its figures alone in a narrow
// terminal, and the end of the folder's name in what room is left.
std::string ProgressLine::fitted(std::size_t done, double seconds,
                                 const std::string& folder) const {
    const std::string files = std::to_string(done);
    const std::string rate =
        std::to_string(static_cast<std::size_t>(static_cast<double>(done) / seconds));
    const std::size_t room = m_columns - 1;
    std::string text = "Scanned " + files + " files, " + rate + " files/s, in ";
    if (text.size() + 10 > room) {
        text = files + " files, " + rate + "/s, ";
    }
    if (text.size() >= room) {
        return text.substr(0, room);
    }
    return text + tailThatFits(terminalText(folder), room - text.size());
}

void ProgressLine::draw(const std::string& text) {
    const std::size_t width = displayWidth(text);
    m_err << '\r' << text;
    if (width < m_drawnWidth) {
        m_err << std::string(m_drawnWidth - width, ' ');  // what is left of the longer line
    }
    m_drawnWidth = std::max(width, m_drawnWidth);
    m_text = text;
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

void ProgressLine::redraw() {
    if (m_drawnWidth == 0 && !m_text.empty()) {
        draw(m_text);
    }
}

bool standardErrorIsTerminal() {
#ifdef _WIN32
    return ::_isatty(::_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

bool standardOutputIsTerminal() {
#ifdef _WIN32
    return ::_isatty(::_fileno(stdout)) != 0;
#else
    return ::isatty(STDOUT_FILENO) != 0;
#endif
}

bool standardStreamsShareTerminal() {
    if (!standardOutputIsTerminal() || !standardErrorIsTerminal()) {
        return false;
    }
#ifdef _WIN32
    return true;  // the console of the program
#else
    struct stat out {};
    struct stat err {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && ::fstat(STDERR_FILENO, &err) == 0 &&
           out.st_dev == err.st_dev && out.st_ino == err.st_ino;
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

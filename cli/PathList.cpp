#include "cli/PathList.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <limits>

#ifdef _WIN32
#include "platform/io/SystemPath.h"
#endif

namespace trovik::cli {
namespace {

#ifdef _WIN32
// The UTF-8 bytes of the longest path Windows takes: 32767 UTF-16 units, each of up to three.
constexpr std::size_t LongestEntry = 3 * 32767;
#else
constexpr std::size_t LongestEntry = PATH_MAX - 1;  // PATH_MAX counts the closing NUL
#endif

class ListErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "trovik.list"; }

    std::string message(int value) const override {
        switch (static_cast<ListError>(value)) {
            case ListError::NotUtf8:
                return "not valid UTF-8";
            case ListError::NotUtf16:
                return "not valid UTF-16";
            case ListError::TooLong:
                return "longer than any path the system accepts";
        }
        return "not a valid line";
    }
};

void appendUtf8(std::string& text, std::uint32_t code) {
    const auto byte = [&](std::uint32_t value) { text += static_cast<char>(value); };
    if (code < 0x80) {
        byte(code);
    } else if (code < 0x800) {
        byte(0xC0 | (code >> 6));
        byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        byte(0xE0 | (code >> 12));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    } else {
        byte(0xF0 | (code >> 18));
        byte(0x80 | ((code >> 12) & 0x3F));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    }
}

#ifdef _WIN32
// Whether `text` is well-formed UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
bool validUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            code = lead & 0x07u;
        } else {
            return false;
        }
        if (text.size() - i <= extra) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        const std::array<std::uint32_t, 4> least{0, 0x80, 0x800, 0x10000};
        if (code < least[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}
#endif

}  // namespace

const std::error_category& listErrorCategory() noexcept {
    static const ListErrorCategory category;
    return category;
}

void PathList::readByteOrderMark() {
    m_encoding = Encoding::Utf8;
    for (int i = 0; i < 3 && m_in.peek() != std::istream::traits_type::eof(); ++i) {
        m_pending += static_cast<char>(m_in.get());
        if (m_pending == "\xFF\xFE") {
            m_pending.clear();
            m_encoding = Encoding::Utf16;
            return;
        }
        if (m_pending == "\xEF\xBB\xBF") {
            m_pending.clear();
            return;
        }
        if (!std::string_view("\xEF\xBB\xBF").starts_with(m_pending) && m_pending != "\xFF") {
            return;  // no mark: the bytes read begin the first entry
        }
    }
}

// The next entry of a UTF-8 list, read in pieces so that only LongestEntry bytes of it are ever
// kept; false at the end of the list.
bool PathList::readUtf8(std::string& entry, std::error_code& error) {
    const auto end = std::find(m_pending.begin(), m_pending.end(), m_separator);
    entry.assign(m_pending.begin(), end);
    if (end != m_pending.end()) {
        m_pending.erase(m_pending.begin(), end + 1);
        return true;
    }
    bool any = !m_pending.empty();
    m_pending.clear();
    std::array<char, 4096> piece{};
    for (;;) {
        m_in.getline(piece.data(), piece.size(), m_separator);
        const auto got = static_cast<std::size_t>(m_in.gcount());
        // The piece was full before the separator came: the entry goes on.
        const bool full = m_in.fail() && !m_in.eof() && !m_in.bad() && got == piece.size() - 1;
        const bool ended = !full && !m_in.eof() && !m_in.bad();  // at the separator, taken
        any = any || got > 0;
        const std::size_t kept = ended ? got - 1 : got;
        if (entry.size() + kept > LongestEntry) {
            error = ListError::TooLong;
            m_inLongEntry = !ended;
            m_in.clear(m_in.rdstate() & ~std::ios::failbit);
            return true;
        }
        entry.append(piece.data(), kept);
        if (!full) {
            return any;
        }
        m_in.clear();
    }
}

// One UTF-16LE unit; false at the end of the list, with an error for an odd byte there.
bool PathList::readUnit(std::uint32_t& unit, std::error_code& error) {
    const int low = m_in.get();
    if (low == std::istream::traits_type::eof()) {
        return false;
    }
    const int high = m_in.get();
    if (high == std::istream::traits_type::eof()) {
        error = ListError::NotUtf16;
        return false;
    }
    unit = static_cast<std::uint32_t>(low) | (static_cast<std::uint32_t>(high) << 8);
    return true;
}

bool PathList::readUtf16(std::string& entry, std::error_code& error) {
    entry.clear();
    std::uint32_t code = 0;
    bool any = false;
    while (readUnit(code, error)) {
        any = true;
        if (code == static_cast<unsigned char>(m_separator)) {
            return true;
        }
        if (code >= 0xD800 && code <= 0xDBFF) {
            std::uint32_t low = 0;
            if (!readUnit(low, error) || low < 0xDC00 || low > 0xDFFF) {
                error = ListError::NotUtf16;
                if (low == static_cast<unsigned char>(m_separator)) {
                    return true;  // the entry ends here, broken
                }
                continue;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            error = ListError::NotUtf16;
            continue;
        }
        if (entry.size() >= LongestEntry) {
            error = ListError::TooLong;
            m_inLongEntry = true;
            return true;
        }
        appendUtf8(entry, code);
    }
    return any || error;
}

// Reads on past the separator that ends the entry told of as too long.
void PathList::passOverRest() {
    m_inLongEntry = false;
    if (m_encoding == Encoding::Utf8) {
        m_in.ignore(std::numeric_limits<std::streamsize>::max(),
                    std::istream::traits_type::to_int_type(m_separator));
        return;
    }
    std::uint32_t unit = 0;
    std::error_code ignored;
    while (readUnit(unit, ignored) && unit != static_cast<unsigned char>(m_separator)) {
    }
}

std::optional<ListEntry> PathList::next() {
    if (m_encoding == Encoding::Unknown) {
        readByteOrderMark();
    }
    std::string entry;
    for (;;) {
        if (m_inLongEntry) {
            passOverRest();
        }
        std::error_code error;
        errno = 0;
        const bool read =
            m_encoding == Encoding::Utf16 ? readUtf16(entry, error) : readUtf8(entry, error);
        if (m_in.bad() && !m_readError) {
            // The stream keeps no reason; the system's, from the read that failed, is still there.
            m_readError = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
        }
        if (!read) {
            return std::nullopt;
        }
        ++m_line;
        if (m_separator == '\n' && !entry.empty() && entry.back() == '\r') {
            entry.pop_back();  // a line of a file saved with CRLF line ends
        }
#ifdef _WIN32
        if (!error && !validUtf8(entry)) {
            error = ListError::NotUtf8;
        }
#endif
        if (error) {
            return ListEntry{{}, error, m_line};
        }
        if (!entry.empty()) {  // empty lines name nothing
#ifdef _WIN32
            return ListEntry{
                std::filesystem::path(std::u8string(entry.begin(), entry.end())), {}, m_line};
#else
            return ListEntry{entry, {}, m_line};
#endif
        }
    }
}

std::filesystem::path listFilePath(const std::filesystem::path& path) {
#ifdef _WIN32
    return systemPath(path);
#else
    return path;
#endif
}

}  // namespace trovik::cli

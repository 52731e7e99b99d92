#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <system_error>

namespace trovik::cli {

// Why a line of a list of paths names nothing.
enum class ListError {
    NotUtf8 = 1,  // on Windows, where names are UTF-16 and the list's bytes must decode
    NotUtf16,     // a lone surrogate, or an odd byte at the end
    TooLong,      // longer than any path the system accepts
};

const std::error_category& listErrorCategory() noexcept;

inline std::error_code make_error_code(ListError error) noexcept {
    return {static_cast<int>(error), listErrorCategory()};
}

// One entry of a list: the path it names, or why it names none; and its line, counted from 1.
struct ListEntry {
    std::filesystem::path path;
    std::error_code error;
    std::size_t line = 0;
};

// Reads the list of paths of --files-from, one entry at a time, as the scan asks for them.
// Entries end in `separator`. The list is UTF-8, with or without a byte order mark, or UTF-16LE
// with one; with a newline separator, a carriage return before it is dropped. On POSIX an entry
// of a UTF-8 list stays the bytes it is, whatever they encode; on Windows it must be UTF-8. An
// entry longer than any path is told of as soon as it is, and the rest of it is passed over
// without being kept, so that no list, not even an endless one, fills the memory.
class PathList {
public:
    PathList(std::istream& in, char separator) : m_in(in), m_separator(separator) {}

    // The next entry; none at the end of the list or when reading it failed.
    std::optional<ListEntry> next();

    // Why the list could not be read to the end; none while it could.
    [[nodiscard]] std::error_code readError() const { return m_readError; }

private:
    enum class Encoding { Unknown, Utf8, Utf16 };

    void readByteOrderMark();
    bool readUtf8(std::string& entry, std::error_code& error);
    bool readUtf16(std::string& entry, std::error_code& error);
    bool readUnit(std::uint32_t& unit, std::error_code& error);
    void passOverRest();

    std::istream& m_in;
    char m_separator;
    Encoding m_encoding = Encoding::Unknown;
    std::string m_pending;  // bytes read while looking for a byte order mark, not yet taken
    std::size_t m_line = 0;
    bool m_inLongEntry = false;  // the entry told of as too long goes on: pass over the rest
    std::error_code m_readError;
};

// The path to open a list file by: on Windows its extended-length form, as for every file.
std::filesystem::path listFilePath(const std::filesystem::path& path);

}  // namespace trovik::cli

template <>
struct std::is_error_code_enum<trovik::cli::ListError> : std::true_type {};

#include <windows.h>

#include <algorithm>
#include <limits>
#include <new>
#include <string>

#include "platform/io/FileErrors.h"
#include "platform/io/FileService.h"
#include "platform/io/SystemPath.h"
#include "platform/io/Text.h"

namespace trovik {
namespace {

// Win32 error numbers, with the system's own texts. The standard library's system category
// fetches them in the ANSI code page; this one fetches them as UTF-16 and hands them out as UTF-8,
// the encoding of everything trovik prints.
class WindowsErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "windows"; }

    std::string message(int value) const override {
        wchar_t* text = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
            nullptr, static_cast<DWORD>(value), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
        std::string message;
        if (length != 0 && text != nullptr) {
            message = utf8FromWide({text, length});
        }
        ::LocalFree(text);
        // The system ends its texts with a full stop and white space; the callers add their own.
        while (!message.empty() && (message.back() == ' ' || message.back() == '\r' ||
                                    message.back() == '\n' || message.back() == '.')) {
            message.pop_back();
        }
        return message.empty() ? "Windows error " + std::to_string(value) : message;
    }

    std::error_condition default_error_condition(int value) const noexcept override {
        // So that these codes compare equal to the portable conditions (std::errc) as the
        // standard library's own system category maps them.
        return std::system_category().default_error_condition(value);
    }
};

std::error_code lastError() noexcept {
    return {static_cast<int>(::GetLastError()), windowsErrorCategory()};
}

HANDLE toHandle(NativeFile file) noexcept {
    return reinterpret_cast<HANDLE>(file);  // NOLINT(performance-no-int-to-ptr)
}

class WindowsFileService final : public FileService {
public:
    Result<OpenedFile> open(const std::filesystem::path& path) noexcept override {
        // Read-only, and shared with every other program for reading, writing and deleting, so
        // that a scan never stands in anyone's way. SECURITY_IDENTIFICATION keeps a named pipe
        // that poses as a file from acting with the scanner's rights. The extended-length path
        // opens the very file named, at any length, a trailing dot or space and all.
        std::wstring name;
        try {
            name = systemPath(path);
        } catch (const std::bad_alloc&) {
            return std::make_error_code(std::errc::not_enough_memory);
        }
        const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN |
                                                SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                                            nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const auto error = lastError();
            // A folder cannot be opened this way, and the system says only "access denied".
            if (error.value() == ERROR_ACCESS_DENIED && isFolder(name)) {
                return std::make_error_code(std::errc::is_a_directory);
            }
            return error;
        }

        // Only files on a disk are read: not consoles, printers, pipes or other devices.
        const DWORD type = ::GetFileType(handle);
        if (type != FILE_TYPE_DISK) {
            // FILE_TYPE_UNKNOWN is also the answer of a failed call, told apart by the error.
            const DWORD failure = type == FILE_TYPE_UNKNOWN ? ::GetLastError() : NO_ERROR;
            ::CloseHandle(handle);
            if (failure != NO_ERROR) {
                return std::error_code(static_cast<int>(failure), windowsErrorCategory());
            }
            return make_error_code(FileError::NotRegularFile);
        }
        BY_HANDLE_FILE_INFORMATION information{};
        if (::GetFileInformationByHandle(handle, &information) == FALSE) {
            const auto error = lastError();
            ::CloseHandle(handle);
            return error;
        }
        if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            ::CloseHandle(handle);
            return std::make_error_code(std::errc::is_a_directory);
        }
        const std::uint64_t size =
            (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
        return OpenedFile{reinterpret_cast<NativeFile>(handle), size};
    }

    Result<std::size_t> read(NativeFile file, std::span<std::byte> into) noexcept override {
        const auto wanted = static_cast<DWORD>(
            std::min<std::size_t>(into.size(), std::numeric_limits<DWORD>::max()));
        DWORD got = 0;
        if (::ReadFile(toHandle(file), into.data(), wanted, &got, nullptr) == FALSE) {
            return lastError();
        }
        return std::size_t{got};
    }

    void close(NativeFile file) noexcept override { ::CloseHandle(toHandle(file)); }

private:
    static bool isFolder(const std::wstring& name) noexcept {
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
};

}  // namespace

const std::error_category& windowsErrorCategory() noexcept {
    static const WindowsErrorCategory category;
    return category;
}

FileService& systemFileService() noexcept {
    static WindowsFileService service;
    return service;
}

}  // namespace trovik

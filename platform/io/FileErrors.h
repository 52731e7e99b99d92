#pragma once

#include <system_error>

namespace trovik {

// Failures the file service reports that have no number of the system's own.
enum class FileError {
    NotRegularFile = 1,  // a FIFO, socket or device: only ordinary files are read
};

const std::error_category& fileErrorCategory() noexcept;

#ifdef _WIN32
// Win32 error numbers (GetLastError), with the system's texts in UTF-8.
const std::error_category& windowsErrorCategory() noexcept;
#endif

inline std::error_code make_error_code(FileError error) noexcept {
    return {static_cast<int>(error), fileErrorCategory()};
}

}  // namespace trovik

template <>
struct std::is_error_code_enum<trovik::FileError> : std::true_type {};

#pragma once

#include <cstddef>
#include <cstdint>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/types.h>
#endif

// The rules every reader of files to scan keeps, whether it reads them one by one through the file
// service or many at once in a batch: how a file is opened, which files are read at all, and when
// the first read has settled what the scan sees.
namespace trovik {

// Whether the first read from the start of a file, which brought `received` bytes into a window of
// `window` bytes, settles what the scan sees: it filled the window, or found the end, or brought
// exactly the length the system reported (`reported`), fewer bytes than asked: a local file read
// whole, with no read left to do only to find the end. Otherwise (a file system that reads short, a
// file that grew or shrank) the file is read on until a read finds the end. A reported length of 0
// says nothing: files in /proc report it and have content.
constexpr bool firstReadSettles(std::size_t received, std::size_t window,
                                std::uint64_t reported) noexcept {
    return received == window || received == 0 || (reported != 0 && received == reported);
}

#ifndef _WIN32
#ifdef O_NOATIME
inline constexpr int NoAccessTime = O_NOATIME;
#else
inline constexpr int NoAccessTime = 0;
#endif

// Read-only; non-blocking, so that a FIFO without a writer cannot hang the open; no controlling
// terminal; never inherited by a child.
inline constexpr int ScanOpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
// The first try adds O_NOATIME, which keeps the scan from touching the access time where the
// system lets us (we own the file, or are root).
inline constexpr int FirstOpenFlags = ScanOpenFlags | NoAccessTime;

// Whether an open with FirstOpenFlags that failed with `error` (an errno value) is tried again
// with ScanOpenFlags: the system refuses O_NOATIME on other owners' files with EPERM.
constexpr bool retryWithoutNoAccessTime(int error) noexcept {
    return NoAccessTime != 0 && error == EPERM;
}

// Why a file of kind `mode` (st_mode, stx_mode) is not read; none for a regular file, the only
// kind that is.
std::error_code kindRefusal(mode_t mode) noexcept;
#endif

}  // namespace trovik

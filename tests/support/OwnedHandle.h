#pragma once

#ifdef _WIN32
#include <windows.h>

namespace trovik::test {

// Closes a Win32 handle at the end of the scope, unless it is the failure value.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : m_handle(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (valid()) {
            ::CloseHandle(m_handle);
        }
    }

    [[nodiscard]] HANDLE get() const { return m_handle; }
    [[nodiscard]] bool valid() const {
        return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

}  // namespace trovik::test
#endif

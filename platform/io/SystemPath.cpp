#include "platform/io/SystemPath.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace trovik {
namespace {

constexpr std::wstring_view Extended = L"\\\\?\\";

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool isDrive(std::wstring_view path) {
    return path.size() >= 2 && path[1] == L':' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

// The step of `rest` up to the next separator, taken off its front with that separator.
std::wstring_view takeStep(std::wstring_view& rest) {
    std::size_t end = 0;
    while (end < rest.size() && !isSeparator(rest[end])) {
        ++end;
    }
    const std::wstring_view step = rest.substr(0, end);
    rest.remove_prefix(end < rest.size() ? end + 1 : end);
    return step;
}

// An absolute path taken apart: its root ("\\?\C:" or "\\?\UNC\server\share") and its names.
struct Absolute {
    std::wstring root;
    std::vector<std::wstring> names;

    void add(std::wstring_view rest) {
        while (!rest.empty()) {
            const std::wstring_view step = takeStep(rest);
            if (step == L"..") {
                if (!names.empty()) {
                    names.pop_back();  // never above the root
                }
            } else if (!step.empty() && step != L".") {
                names.emplace_back(step);
            }
        }
    }

    [[nodiscard]] std::wstring text() const {
        std::wstring joined = root;
        for (const std::wstring& name : names) {
            joined += L'\\';
            joined += name;
        }
        if (names.empty()) {
            joined += L'\\';
        }
        return joined;
    }
};

wchar_t upper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// `path` taken apart when it is absolute: "C:\x", "\\server\share\x", or either in the "\\?\"
// form.
bool parseAbsolute(std::wstring_view path, Absolute& into) {
    bool share = false;
    if (path.starts_with(Extended)) {
        path.remove_prefix(Extended.size());
        share = path.starts_with(L"UNC\\");
        path.remove_prefix(share ? 4 : 0);
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        path.remove_prefix(2);
        share = true;
    }
    if (share) {
        const std::wstring_view server = takeStep(path);
        const std::wstring_view name = takeStep(path);
        into.root =
            std::wstring(Extended) + L"UNC\\" + std::wstring(server) + L'\\' + std::wstring(name);
    } else if (isDrive(path) && path.size() >= 3 && isSeparator(path[2])) {
        into.root = std::wstring(Extended) + upper(path[0]) + L':';
        path.remove_prefix(3);
    } else {
        return false;
    }
    into.add(path);
    return true;
}

}  // namespace

std::wstring extendedLengthPath(std::wstring_view path, std::wstring_view currentFolder) {
    if (path.starts_with(Extended) || path.starts_with(L"\\\\.\\")) {
        return std::wstring(path);
    }
    Absolute absolute;
    if (parseAbsolute(path, absolute)) {
        return absolute.text();
    }
    parseAbsolute(currentFolder, absolute);
    if (isDrive(path)) {
        // "C:x": from the current folder when it is on that drive, from the drive's root if not.
        const std::wstring drive = std::wstring(Extended) + upper(path[0]) + L':';
        if (absolute.root != drive) {
            absolute = Absolute{drive, {}};
        }
        path.remove_prefix(2);
    } else if (!path.empty() && isSeparator(path[0])) {
        absolute.names.clear();  // from the root of the current folder's drive or share
    }
    absolute.add(path);
    return absolute.text();
}

#ifdef _WIN32
std::wstring systemPath(const std::filesystem::path& path) {
    const std::wstring& native = path.native();
    Absolute ignored;
    if (native.starts_with(Extended) || parseAbsolute(native, ignored)) {
        return extendedLengthPath(native, {});
    }
    std::wstring current(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
        if (length < current.size()) {
            current.resize(length);
            break;
        }
        current.resize(length);  // the size it needs, with the terminating null
    }
    return extendedLengthPath(native, current);
}
#endif

}  // namespace trovik

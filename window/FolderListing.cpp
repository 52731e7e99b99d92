#include "window/FolderListing.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <chrono>
#include <future>

namespace trovik {

std::string FolderErrorText(const FolderError& failure) {
    const std::u8string folder = failure.folder.u8string();
    std::string text(folder.begin(), folder.end());
    text += " could not be opened!\r\r";
    text += failure.error.message();
    return text;
}

Result<NameList> listEntries(const std::filesystem::path& folder, EntryKind kind) {
#ifdef _WIN32
    constexpr NameList::View separators = L"\\/";
#else
    constexpr NameList::View separators = "/";
#endif
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return error;
    }
    NameList names;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::filesystem::directory_entry& entry = *entries;
        // The entry's path is the folder joined with the name: the name follows the last
        // separator. Taken in place, without a path of its own.
        const NameList::View path = entry.path().native();
        const NameList::View name = path.substr(path.find_last_of(separators) + 1);
        if (name.starts_with('.')) {
            continue;
        }
        std::error_code ignored;  // an entry whose kind cannot be told is not listed
        const bool wanted = kind == EntryKind::Folder ? entry.is_directory(ignored)
                                                      : entry.is_regular_file(ignored);
        if (wanted && !names.add(name)) {
            return std::make_error_code(std::errc::value_too_large);
        }
    }
    if (error) {
        return error;
    }
    return names;
}

Result<NameList> readFolder(const std::filesystem::path& folder, EntryKind kind) {
    using namespace std::chrono_literals;
    std::future<Result<NameList>> names =
        std::async(std::launch::async, [folder, kind]() -> Result<NameList> {
            auto listed = listEntries(folder, kind);
            if (listed) {
                listed.value().sortForDisplay();
            }
            return listed;
        });
    if (names.wait_for(50ms) != std::future_status::ready &&
        QCoreApplication::instance() != nullptr) {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (names.wait_for(0ms) == std::future_status::ready) {
                loop.quit();
            }
        });
        poll.start(5);
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        QGuiApplication::restoreOverrideCursor();
    }
    return names.get();  // also where the loop was ended early, by the program's end
}

}  // namespace trovik

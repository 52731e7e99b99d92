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

namespace {

// Reads one folder's names of one kind, in as many steps as the caller likes.
class FolderReader {
public:
    FolderReader(std::filesystem::directory_iterator entries, EntryKind kind)
        : m_entries(std::move(entries)), m_kind(kind) {}

    // Reads up to the end of the folder and returns true, or returns false as soon as `stop`
    // answers true (it is asked every 256 entries).
    template <typename Stop>
    bool read(Stop stop) {
#ifdef _WIN32
        constexpr NameList::View separators = L"\\/";
#else
        constexpr NameList::View separators = "/";
#endif
        std::size_t seen = 0;
        for (; m_entries != std::filesystem::directory_iterator(); m_entries.increment(m_error)) {
            if (++seen % 256 == 0 && stop()) {
                return false;
            }
            const std::filesystem::directory_entry& entry = *m_entries;
            // The entry's path is the folder joined with the name: the name follows the last
            // separator. Taken in place, without a path of its own.
            const NameList::View path = entry.path().native();
            const NameList::View name = path.substr(path.find_last_of(separators) + 1);
            if (name.starts_with('.')) {
                continue;
            }
            std::error_code ignored;  // an entry whose kind cannot be told is not listed
            const bool wanted = m_kind == EntryKind::Folder ? entry.is_directory(ignored)
                                                            : entry.is_regular_file(ignored);
            if (wanted && !m_names.add(name)) {
                m_error = std::make_error_code(std::errc::value_too_large);
                break;
            }
        }
        return true;
    }

    Result<NameList> names() && {
        if (m_error) {
            return m_error;
        }
        return std::move(m_names);
    }

private:
    std::filesystem::directory_iterator m_entries;
    EntryKind m_kind;
    NameList m_names;
    std::error_code m_error;
};

Result<NameList> sorted(Result<NameList> names) {
    if (names) {
        names.value().sortForDisplay();
    }
    return names;
}

}  // namespace

Result<NameList> listEntries(const std::filesystem::path& folder, EntryKind kind) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return error;
    }
    FolderReader reader(std::move(entries), kind);
    (void)reader.read([] { return false; });
    return std::move(reader).names();
}

Result<NameList> readFolder(const std::filesystem::path& folder, EntryKind kind) {
    using namespace std::chrono_literals;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return error;
    }
    // A folder read within a moment is read here; the rest of a larger one on a worker thread.
    FolderReader reader(std::move(entries), kind);
    const auto moment = std::chrono::steady_clock::now() + 20ms;
    if (reader.read([&] { return std::chrono::steady_clock::now() > moment; }) ||
        QCoreApplication::instance() == nullptr) {
        (void)reader.read([] { return false; });
        return sorted(std::move(reader).names());
    }
    std::future<Result<NameList>> names = std::async(std::launch::async, [&reader] {
        (void)reader.read([] { return false; });
        return sorted(std::move(reader).names());
    });
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
    return names.get();  // also where the loop was ended early, by the program's end
}

}  // namespace trovik

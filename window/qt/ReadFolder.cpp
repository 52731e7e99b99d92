#include "window/qt/ReadFolder.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <chrono>
#include <future>

#include "window/qt/ListedName.h"

namespace trovik {
namespace {

Result<NameList> sorted(Result<NameList> names) {
    if (names) {
        names.value().sortForDisplay(foldedText);
    }
    return names;
}

}  // namespace

Result<NameList> readFolder(const std::filesystem::path& folder, EntryKind kind,
                            std::chrono::milliseconds moment) {
    using namespace std::chrono_literals;
    auto opened = FolderReader::open(folder, kind);
    if (!opened) {
        return opened.error();
    }
    // A folder read within the moment is read here; the rest of a larger one on a worker thread.
    FolderReader& reader = opened.value();
    const auto momentEnds = std::chrono::steady_clock::now() + moment;
    if (reader.read([&] { return std::chrono::steady_clock::now() > momentEnds; }) ||
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

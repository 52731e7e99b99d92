// Times the window's file list against the bare standard library on the same folder.
//
//   trovik_window_bench make FOLDER COUNT   makes COUNT empty files in FOLDER, quickly
//   trovik_window_bench list FOLDER RUNS    lists FOLDER into File1 and with a bare enumeration and
//                                           sort, alternately, RUNS times each; one line a pair
//   trovik_window_bench large FOLDER        lists FOLDER into File1 once: how long it took, the
//                                           longest the window went unpainted meanwhile, and how
//                                           much memory it took for the names
//
// Figures are printed as "key=value" words, one measurement a line, for bench/window-figures.py.
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/io/FileService.h"
#include "window/qt/FileListBox.h"
#include "window/qt/Form1.h"
#include "window/qt/ReadFolder.h"

namespace {

class SilentMessages final : public trovik::MessageBoxService {
public:
    void show(std::string_view text, trovik::MessageIcon /*icon*/) override {
        std::cerr << "box: " << text << '\n';
    }
};

class OneVolume final : public trovik::VolumeService {
public:
    std::vector<trovik::Volume> mountedVolumes() override { return {{"/", ""}}; }
};

// A figure from /proc/self/status, in KiB ("VmRSS", "VmHWM").
long statusKiB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(key + ":")) {
            return std::stol(line.substr(key.size() + 1));
        }
    }
    return -1;
}

// The bare form of the listing: the regular files' names, hidden ones left out, sorted.
std::size_t bareListing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().native();
        if (!name.starts_with('.') && entry.is_regular_file()) {
            names.push_back(std::move(name));
        }
    }
    std::ranges::sort(names);
    return names.size();
}

// COUNT empty files named file0000000.dat and on. Most are further links to a few empty files:
// making a name is then about four times cheaper than making a file, and the folder lists the same.
int makeFiles(const std::filesystem::path& folder, int count) {
    std::filesystem::create_directories(folder);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        std::perror("open folder");
        return 1;
    }
    char source[32] = "";
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "file%07d.dat", i);
        if (source[0] != '\0' && ::linkat(dir, source, dir, name, 0) == 0) {
            continue;
        }
        const int file = ::openat(dir, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (file < 0) {
            std::perror(name);
            ::close(dir);
            return 1;
        }
        ::close(file);
        std::memcpy(source, name, sizeof name);
    }
    ::close(dir);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::cerr << "usage: trovik_window_bench make|list|large FOLDER [COUNT|RUNS]\n";
        return 2;
    }
    const std::string mode = argv[1];
    const std::filesystem::path folder = argv[2];
    int number = 0;
    if (argc > 3) {
        std::from_chars(argv[3], argv[3] + std::char_traits<char>::length(argv[3]), number);
    }
    if (mode == "make") {
        return makeFiles(folder, number);
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    SilentMessages messages;
    OneVolume volumes;
    trovik::Form1 form({messages, trovik::systemFileService(), volumes, folder.parent_path()});
    form.show();
    QCoreApplication::processEvents();

    // The file list's part, as the browser does it: read and sort the folder, then show it.
    const auto list = [&](const std::filesystem::path& where) {
        auto names = trovik::readFolder(where, trovik::EntryKind::File);
        if (!names) {
            std::exit(1);
        }
        form.File1->showNames(std::make_shared<const trovik::NameList>(std::move(names).value()));
    };
    const auto intoFile1 = [&] {
        QElapsedTimer timer;
        timer.start();
        list(folder);
        form.File1->repaint();
        QCoreApplication::processEvents();
        return static_cast<double>(timer.nsecsElapsed()) / 1e6;
    };
    const auto empty = folder.parent_path();

    if (mode == "list") {
        for (int run = 0; run < number; ++run) {
            list(empty);  // each run starts from a short list
            QCoreApplication::processEvents();
            double bare = 0;
            double file1 = 0;
            const auto timeBare = [&] {
                QElapsedTimer timer;
                timer.start();
                const std::size_t count = bareListing(folder);
                bare = static_cast<double>(timer.nsecsElapsed()) / 1e6;
                if (count == 0) {
                    std::exit(1);
                }
            };
            // Alternate which goes first, so that neither always meets the colder cache.
            if (run % 2 == 0) {
                timeBare();
                file1 = intoFile1();
            } else {
                file1 = intoFile1();
                timeBare();
            }
            std::cout << "bare_ms=" << bare << " file1_ms=" << file1
                      << " entries=" << form.File1->count() << std::endl;
        }
        return 0;
    }
    if (mode == "large") {
        std::size_t nameBytes = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            nameBytes += entry.path().filename().native().size();
        }
        ::malloc_trim(0);
        const long rssBefore = statusKiB("VmRSS");
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
        // The longest the event loop went without a turn: how long the window was frozen.
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.nsecsElapsed());
            sinceTick.restart();
        });
        ticks.start(5);
        sinceTick.start();
        const double busy = intoFile1();
        longestGap = std::max(longestGap, sinceTick.nsecsElapsed());
        ticks.stop();
        const long peakAfter = statusKiB("VmHWM");
        ::malloc_trim(0);
        const long rssAfter = statusKiB("VmRSS");
        std::cout << "busy_ms=" << busy << " frozen_ms=" << static_cast<double>(longestGap) / 1e6
                  << " entries=" << form.File1->count() << " name_bytes=" << nameBytes
                  << " rss_growth_kib=" << rssAfter - rssBefore
                  << " peak_growth_kib=" << peakAfter - rssBefore << std::endl;
        return 0;
    }
    std::cerr << "unknown mode " << mode << '\n';
    return 2;
}

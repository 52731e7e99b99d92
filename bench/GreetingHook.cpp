// Loaded with LD_PRELOAD into a Qt widget program (trovik, or one of the bare programs beside this
// file), it reports when the program first put something on the screen, and its peak memory:
//
//   greeting_ms=...  peak_kib=...   when the first message box has been painted; the box is then
//                                   closed as if the user had pressed OK
//   window_ms=...    peak_kib=...   when the first other window has been painted; the program
//                                   then ends at once
//
// With TROVIK_BENCH_PHASES set, it also says when the application object was made.
// Times are counted from TROVIK_BENCH_SPAWN_NS, the CLOCK_MONOTONIC time (in nanoseconds) at which
// the caller started the process; the lines go to standard error.
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace {

double millisecondsSinceSpawn() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const char* spawn = std::getenv("TROVIK_BENCH_SPAWN_NS");
    const double start = spawn != nullptr ? std::strtod(spawn, nullptr) : 0.0;
    return (static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec) - start) / 1e6;
}

long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmHWM:")) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

class PaintWatch final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !watched->isWidgetType()) {
            return false;
        }
        QWidget* window = static_cast<QWidget*>(watched)->window();
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            if (!m_greeted) {
                m_greeted = true;
                std::fprintf(stderr, "greeting_ms=%.3f peak_kib=%ld\n", millisecondsSinceSpawn(),
                             peakKiB());
                QTimer::singleShot(0, box, &QMessageBox::accept);
            }
        } else if (!m_windowShown) {
            m_windowShown = true;
            const double shown = millisecondsSinceSpawn();
            // Once the paint is done and the event queue is empty.
            QTimer::singleShot(0, [shown] {
                std::fprintf(stderr, "window_ms=%.3f peak_kib=%ld\n", shown, peakKiB());
                std::fflush(stderr);
                ::_exit(0);
            });
        }
        return false;
    }

private:
    bool m_greeted = false;
    bool m_windowShown = false;
};

void installWatch() {
    if (std::getenv("TROVIK_BENCH_PHASES") != nullptr) {
        std::fprintf(stderr, "application_ms=%.3f\n", millisecondsSinceSpawn());
    }
    QCoreApplication::instance()->installEventFilter(new PaintWatch);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installWatch)

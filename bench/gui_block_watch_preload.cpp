// Preloaded into a Qt program (LD_PRELOAD) by scripts/bench-desktop: once the application object exists, a 1
// ms precise timer on the GUI thread notes every gap between two of its ticks (about 1 ms while nothing
// blocks) with its wall time and the GUI thread's own CPU time, so a block spent computing is told apart from
// one spent waiting (for a core, a process, a reply). Gaps of at least 2 ms are appended to the file named by
// NIMBRA_GUI_BLOCKS, one line each: "<end, ns since the epoch> <wall ns> <GUI thread CPU ns>". The first gap
// runs from the application object's construction to the first tick (the program's first event-loop turn).
// Without NIMBRA_GUI_BLOCKS it does nothing. Programs the watched one starts are not watched.
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qint64 reportedNs = 2'000'000;

qint64 clockNs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

class GuiBlockRecorder {
public:
    explicit GuiBlockRecorder(int fd) : m_fd(fd) { mark(); }
    ~GuiBlockRecorder() { close(m_fd); }
    GuiBlockRecorder(const GuiBlockRecorder&) = delete;
    GuiBlockRecorder& operator=(const GuiBlockRecorder&) = delete;

    void tick() {
        const qint64 wallNs = clockNs(CLOCK_MONOTONIC);
        const qint64 cpuNs = clockNs(CLOCK_THREAD_CPUTIME_ID);
        if (wallNs - m_wallNs >= reportedNs) {
            char line[96];
            const int length = std::snprintf(line, sizeof line, "%lld %lld %lld\n", clockNs(CLOCK_REALTIME),
                                             wallNs - m_wallNs, cpuNs - m_cpuNs);
            // One write per line: the file stays whole however the program ends.
            if (write(m_fd, line, size_t(length)) != length)
                return;
        }
        m_wallNs = wallNs;
        m_cpuNs = cpuNs;
    }

private:
    void mark() {
        m_wallNs = clockNs(CLOCK_MONOTONIC);
        m_cpuNs = clockNs(CLOCK_THREAD_CPUTIME_ID);
    }

    int m_fd;
    qint64 m_wallNs = 0;
    qint64 m_cpuNs = 0;
};

void startWatch() {
    const QByteArray file = qgetenv("NIMBRA_GUI_BLOCKS");
    // The widget host and anything else this program starts run unwatched.
    qunsetenv("LD_PRELOAD");
    qunsetenv("NIMBRA_GUI_BLOCKS");
    if (file.isEmpty())
        return;
    const int fd = open(file.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::perror(file.constData());
        return;
    }
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(1);
    auto recorder = std::make_shared<GuiBlockRecorder>(fd);
    QObject::connect(timer, &QTimer::timeout, timer, [recorder] { recorder->tick(); });
    timer->start();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startWatch)

#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace nimbra {
namespace {

Q_LOGGING_CATEGORY(signalsLog, NIMBRA_APP_IDENTIFIER ".Signals")

constexpr int watchedSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's two ends; -1 while no instance watches.
int pipeEnds[2] = {-1, -1};

extern "C" void onTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing to do when the pipe is full: a quit is already on its way.
    [[maybe_unused]] const auto written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

void setHandler(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : watchedSignals)
        sigaction(signalNumber, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(signalsLog()) << "Cannot watch for termination signals: they end the program at once";
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
    setHandler(onTerminationSignal);
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier)
        return;
    setHandler(SIG_DFL);
    delete m_notifier;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void TerminationSignals::readPipe() {
    unsigned char byte = 0;
    while (::read(pipeEnds[0], &byte, 1) == 1) {
        qCInfo(signalsLog()) << "Signal" << int(byte) << "received: quitting";
        Q_EMIT received(int(byte));
    }
}

TerminationSignals* TerminationSignals::quitApplicationOnSignals() {
    auto* watcher = new TerminationSignals(QCoreApplication::instance());
    connect(watcher, &TerminationSignals::received, QCoreApplication::instance(), &QCoreApplication::quit,
            Qt::QueuedConnection);
    return watcher;
}

} // namespace nimbra

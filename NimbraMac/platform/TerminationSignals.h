#pragma once

#include <QObject>

class QSocketNotifier;

namespace nimbra {

// Turns SIGTERM (logout, shutdown), SIGINT and SIGHUP into a Qt signal delivered in the event loop, so the
// program ends through its normal quit path instead of being killed in the middle of a write. A handler may
// only write to a pipe; the event loop reads it. One instance per process.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // False when the pipe could not be made: the signals then keep their default effect.
    bool isWatching() const { return m_notifier != nullptr; }

    // Quits the application on any of the signals; the object lives as long as the application.
    static TerminationSignals* quitApplicationOnSignals();

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace nimbra

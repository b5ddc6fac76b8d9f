#pragma once

#include <QObject>

#include <memory>

namespace nimbra {

// A one-way "stop now" flag shared between whoever gives up on work and the work itself. Pending network replies
// listen to cancelled() and abort.
class Cancellation : public QObject {
    Q_OBJECT
public:
    bool isCancelled() const { return m_cancelled; }
    void cancel() {
        if (m_cancelled)
            return;
        m_cancelled = true;
        Q_EMIT cancelled();
    }

Q_SIGNALS:
    void cancelled();

private:
    bool m_cancelled = false;
};

// Null means "never cancelled".
using CancellationToken = std::shared_ptr<Cancellation>;

inline CancellationToken makeCancellation() { return std::make_shared<Cancellation>(); }

} // namespace nimbra

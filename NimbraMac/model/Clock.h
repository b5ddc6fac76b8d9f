#pragma once

#include "Iso8601.h"

#include <QDateTime>

#include <memory>

namespace nimbra {

// The one source of "now", injectable so tests pin time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    static std::shared_ptr<const Clock> system();
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};

// Another clock's time without the fraction of a second. The snapshot keeps whole seconds, so state stamped
// with this clock reads back from the file exactly as it is held.
class WholeSecondClock final : public Clock {
public:
    explicit WholeSecondClock(std::shared_ptr<const Clock> base) : m_base(std::move(base)) {}
    QDateTime now() const override { return iso8601::wholeSeconds(m_base->now()); }

private:
    std::shared_ptr<const Clock> m_base;
};

class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start) : m_now(start.toUTC()) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& now) { m_now = now.toUTC(); }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};

inline std::shared_ptr<const Clock> Clock::system() {
    static const auto clock = std::make_shared<const SystemClock>();
    return clock;
}

} // namespace nimbra

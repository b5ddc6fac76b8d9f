#pragma once

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

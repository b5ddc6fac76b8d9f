#pragma once

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

namespace nimbra {

// The user's calendar: the time zone that wall-clock questions (start of hour, same day) are asked in, and
// the locale that texts are written in. Tests build one with an explicit zone and locale.
class LocalCalendar {
public:
    LocalCalendar(QTimeZone zone, QLocale locale) : m_zone(std::move(zone)), m_locale(std::move(locale)) {}
    static LocalCalendar system();

    const QTimeZone& timeZone() const { return m_zone; }
    const QLocale& locale() const { return m_locale; }

    QDateTime toLocal(const QDateTime& instant) const { return instant.toTimeZone(m_zone); }
    // All return UTC instants.
    QDateTime startOfHour(const QDateTime& instant) const;
    QDateTime startOfDay(const QDateTime& instant) const;
    QDateTime addDays(const QDateTime& instant, int days) const;
    bool isSameDay(const QDateTime& a, const QDateTime& b) const;

private:
    QTimeZone m_zone;
    QLocale m_locale;
};

} // namespace nimbra

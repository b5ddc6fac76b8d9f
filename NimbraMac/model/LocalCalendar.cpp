#include "LocalCalendar.h"

namespace nimbra {

LocalCalendar LocalCalendar::system() {
    return {QTimeZone::systemTimeZone(), QLocale::system()};
}

QDateTime LocalCalendar::startOfHour(const QDateTime& instant) const {
    const QDateTime local = toLocal(instant);
    // Subtracting the minutes and seconds keeps the instant unambiguous across a DST fold.
    const QTime t = local.time();
    return instant.toUTC().addMSecs(-qint64(t.minute() * 60 + t.second()) * 1000 - t.msec());
}

QDateTime LocalCalendar::startOfDay(const QDateTime& instant) const {
    return toLocal(instant).date().startOfDay(m_zone).toUTC();
}

QDateTime LocalCalendar::addDays(const QDateTime& instant, int days) const {
    return toLocal(instant).addDays(days).toUTC();
}

bool LocalCalendar::isSameDay(const QDateTime& a, const QDateTime& b) const {
    return toLocal(a).date() == toLocal(b).date();
}

} // namespace nimbra

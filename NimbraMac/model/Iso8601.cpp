#include "Iso8601.h"

#include <QTimeZone>

#include <algorithm>

namespace nimbra::iso8601 {
namespace {

char16_t unitAt(QStringView text, qsizetype i) {
    return text[i].unicode();
}

char16_t unitAt(QLatin1StringView text, qsizetype i) {
    return static_cast<unsigned char>(text.data()[i]);
}

template <typename Text> bool digits(Text text, qsizetype from, qsizetype count, int& out) {
    if (from + count > text.size())
        return false;
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = unitAt(text, i);
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c - u'0');
    }
    out = value;
    return true;
}

// Reads "YYYY-MM-DDTHH:MM" and, when present, ":SS"; returns the index after what it read.
template <typename Text>
std::optional<qsizetype> readDateTime(Text t, QDate& date, QTime& time, bool secondsRequired) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!digits(t, 0, 4, y) || t.size() < 16 || unitAt(t, 4) != u'-' || !digits(t, 5, 2, mo) ||
        unitAt(t, 7) != u'-' || !digits(t, 8, 2, d) || unitAt(t, 10) != u'T' || !digits(t, 11, 2, h) ||
        unitAt(t, 13) != u':' || !digits(t, 14, 2, mi))
        return std::nullopt;
    qsizetype at = 16;
    if (at < t.size() && unitAt(t, at) == u':') {
        if (!digits(t, at + 1, 2, s))
            return std::nullopt;
        at += 3;
    } else if (secondsRequired) {
        return std::nullopt;
    }
    date = QDate(y, mo, d);
    time = QTime(h, mi, s);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return at;
}

constexpr qint64 kMSecsPerDay = 86'400'000;
// QDate's Julian day of 1970-01-01.
constexpr qint64 kEpochJulianDay = 2'440'588;

// A UTC instant from a valid date and time, without the time-zone machinery of QDateTime's constructor.
QDateTime utcInstant(QDate date, QTime time) {
    return QDateTime::fromMSecsSinceEpoch(
        (date.toJulianDay() - kEpochJulianDay) * kMSecsPerDay + time.msecsSinceStartOfDay(), Qt::UTC);
}

void putDigits(char*& out, int value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
    out += count;
}

template <typename Text> std::optional<QDateTime> parseStrict(Text text) {
    QDate date;
    QTime time;
    const auto end = readDateTime(text, date, time, true);
    if (!end || *end != 19 || text.size() != 20 || unitAt(text, 19) != u'Z')
        return std::nullopt;
    return utcInstant(date, time);
}

} // namespace

std::optional<QDateTime> parse(QStringView text) {
    return parseStrict(text);
}

std::optional<QDateTime> parse(QLatin1StringView text) {
    return parseStrict(text);
}

bool formatAscii(const QDateTime& date, char* out, FormattedDay* lastDay) {
    // Written by hand: QDateTime::toString converts through the local time machinery for every date.
    if (!date.isValid())
        return false;
    const qint64 msecs = date.toMSecsSinceEpoch();
    const qint64 days = msecs / kMSecsPerDay - (msecs % kMSecsPerDay < 0 ? 1 : 0);
    const int secondOfDay = int((msecs - days * kMSecsPerDay) / 1000);
    FormattedDay thisDay;
    FormattedDay& day = lastDay ? *lastDay : thisDay;
    if (day.julianDay != days + kEpochJulianDay) {
        day.julianDay = days + kEpochJulianDay;
        const QDate calendarDay = QDate::fromJulianDay(day.julianDay);
        // Qt's ISO form has no text for years outside 1-9999 either.
        day.writable = calendarDay.isValid() && calendarDay.year() >= 1 && calendarDay.year() <= 9999;
        if (day.writable) {
            char* text = day.text;
            putDigits(text, calendarDay.year(), 4);
            *text++ = '-';
            putDigits(text, calendarDay.month(), 2);
            *text++ = '-';
            putDigits(text, calendarDay.day(), 2);
        }
    }
    if (!day.writable)
        return false;
    out = std::copy_n(day.text, sizeof day.text, out);
    *out++ = 'T';
    putDigits(out, secondOfDay / 3600, 2);
    *out++ = ':';
    putDigits(out, secondOfDay / 60 % 60, 2);
    *out++ = ':';
    putDigits(out, secondOfDay % 60, 2);
    *out = 'Z';
    return true;
}

QString format(const QDateTime& date) {
    char text[kFormattedLength];
    return formatAscii(date, text) ? QString::fromLatin1(text, kFormattedLength) : QString();
}

QDateTime wholeSeconds(const QDateTime& date) {
    const QDateTime utc = date.toUTC();
    return utc.addMSecs(-(utc.time().msec()));
}

std::optional<QDateTime> parseInternet(QStringView text) {
    QDate date;
    QTime time;
    const auto end = readDateTime(text, date, time, false);
    if (!end)
        return std::nullopt;
    qsizetype at = *end;
    if (at < text.size() && text[at] == u'.') {
        const qsizetype start = ++at;
        while (at < text.size() && text[at].isDigit())
            ++at;
        if (at == start)
            return std::nullopt;
    }
    if (at >= text.size())
        return std::nullopt;
    int offsetSeconds = 0;
    if (text[at] == u'Z' && at + 1 == text.size()) {
        offsetSeconds = 0;
    } else if (text[at] == u'+' || text[at] == u'-') {
        int oh = 0, om = 0;
        const QStringView rest = text.mid(at + 1);
        const bool colon =
            rest.size() == 5 && rest[2] == u':' && digits(rest, 0, 2, oh) && digits(rest, 3, 2, om);
        const bool compact = rest.size() == 4 && digits(rest, 0, 2, oh) && digits(rest, 2, 2, om);
        if ((!colon && !compact) || oh > 23 || om > 59)
            return std::nullopt;
        offsetSeconds = (oh * 3600 + om * 60) * (text[at] == u'-' ? -1 : 1);
    } else {
        return std::nullopt;
    }
    return utcInstant(date, time).addSecs(-offsetSeconds);
}

} // namespace nimbra::iso8601

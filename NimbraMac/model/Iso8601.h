#pragma once

#include <QDateTime>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <limits>
#include <optional>

namespace nimbra::iso8601 {

// Strict form used by the snapshot: "YYYY-MM-DDTHH:MM:SSZ" (UTC, whole seconds).
std::optional<QDateTime> parse(QStringView text);
// The same for text that is Latin-1 bytes, as read straight from a file.
std::optional<QDateTime> parse(QLatin1StringView text);
// Writes a UTC instant to whole seconds with a "Z" suffix; empty for an invalid date or a year outside
// 1-9999.
QString format(const QDateTime& date);
constexpr qsizetype kFormattedLength = 20;
// The date part of the last instant formatAscii wrote with it: hourly samples share a day 24 at a time,
// and working the calendar date out of the day number was a tenth of writing a snapshot.
struct FormattedDay {
    qint64 julianDay = std::numeric_limits<qint64>::min();
    bool writable = false; // a year within 1-9999
    char text[10] = {};
};
// format()'s text as kFormattedLength ASCII characters at `out`, or false when there is none.
bool formatAscii(const QDateTime& date, char* out, FormattedDay* lastDay = nullptr);
// The instant in UTC without its fraction of a second: what format() keeps of it.
QDateTime wholeSeconds(const QDateTime& date);

// What provider documents send: the strict form, optionally with fractional seconds and with "Z" or a
// "+HH:MM"/"-HH:MM" offset. Returns a UTC instant in whole seconds: the fraction is dropped, as the snapshot
// would drop it.
std::optional<QDateTime> parseInternet(QStringView text);

} // namespace nimbra::iso8601

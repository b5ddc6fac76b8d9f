#include "WeatherFormatting.h"

#include <QCoreApplication>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>

#include <cmath>
#include <memory>

namespace nimbra::WeatherFormatting {
namespace {

const QString kPlaceholder = QStringLiteral("--");

QString percentText(double fraction) {
    return wholeNumberText(fraction * 100);
}

icu::Locale icuLocale(const QLocale& locale) {
    // Qt calls the POSIX locale "C"; ICU knows it as en_US_POSIX.
    if (locale.language() == QLocale::C)
        return icu::Locale("en_US_POSIX");
    return icu::Locale(locale.name().toLatin1().constData());
}

struct RelativeOffset {
    qint64 amount; // whole units before now
    RelativeUnit unit;
};

// The largest calendar unit in which `from` lies at least one whole step before `to`.
RelativeOffset pastOffset(const QDateTime& from, const QDateTime& to) {
    const QDate a = from.date(), b = to.date();
    int years = b.year() - a.year();
    while (years > 0 && from.addYears(years) > to)
        --years;
    if (years > 0)
        return {years, RelativeUnit::year};
    int months = (b.year() - a.year()) * 12 + b.month() - a.month();
    while (months > 0 && from.addMonths(months) > to)
        --months;
    if (months > 0)
        return {months, RelativeUnit::month};
    qint64 days = a.daysTo(b);
    while (days > 0 && from.addDays(days) > to)
        --days;
    if (days >= 7)
        return {days / 7, RelativeUnit::week};
    if (days > 0)
        return {days, RelativeUnit::day};
    const qint64 seconds = from.secsTo(to);
    if (seconds >= 3600)
        return {seconds / 3600, RelativeUnit::hour};
    if (seconds >= 60)
        return {seconds / 60, RelativeUnit::minute};
    return {std::max<qint64>(seconds, 0), RelativeUnit::second};
}

URelativeDateTimeUnit icuUnit(RelativeUnit unit) {
    switch (unit) {
    case RelativeUnit::second:
        return UDAT_REL_UNIT_SECOND;
    case RelativeUnit::minute:
        return UDAT_REL_UNIT_MINUTE;
    case RelativeUnit::hour:
        return UDAT_REL_UNIT_HOUR;
    case RelativeUnit::day:
        return UDAT_REL_UNIT_DAY;
    case RelativeUnit::week:
        return UDAT_REL_UNIT_WEEK;
    case RelativeUnit::month:
        return UDAT_REL_UNIT_MONTH;
    case RelativeUnit::year:
        break;
    }
    return UDAT_REL_UNIT_YEAR;
}

// ICU's short past forms for US English and the POSIX locale, which share them, for amounts written without
// grouping. Written out here so that the dashboard's first opening does not load ICU's formatter and its
// data (some 5 ms on the GUI thread and 3.7 MB that stay); every other locale and amount asks ICU.
std::optional<QString> usEnglishPastText(qint64 amount, RelativeUnit unit, const QLocale& locale) {
    if (amount < 0 || amount >= 1000 ||
        (locale.language() != QLocale::C && locale.name() != QLatin1String("en_US")))
        return std::nullopt;
    const auto form = [unit, amount]() -> const char* {
        switch (unit) {
        case RelativeUnit::second:
            return "%1 sec. ago";
        case RelativeUnit::minute:
            return "%1 min. ago";
        case RelativeUnit::hour:
            return "%1 hr. ago";
        case RelativeUnit::day:
            return amount == 1 ? "%1 day ago" : "%1 days ago";
        case RelativeUnit::week:
            return "%1 wk. ago";
        case RelativeUnit::month:
            return "%1 mo. ago";
        case RelativeUnit::year:
            break;
        }
        return "%1 yr. ago";
    };
    return QString::fromLatin1(form()).arg(amount);
}

std::optional<QString> icuPastText(qint64 amount, RelativeUnit unit, const QLocale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    icu::RelativeDateTimeFormatter formatter(icuLocale(locale), nullptr, UDAT_STYLE_SHORT,
                                             UDISPCTX_CAPITALIZATION_NONE, status);
    icu::UnicodeString text;
    // A negative zero makes ICU read the offset as past ("0 sec. ago") rather than future ("in 0 sec.").
    formatter.formatNumeric(-double(amount), icuUnit(unit), text, status);
    if (U_FAILURE(status))
        return std::nullopt;
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

} // namespace

std::optional<qint64> roundedWholeNumber(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    // std::round rounds halves away from zero; the bounds are -2^63 (inclusive) and 2^63 (exclusive).
    const double rounded = std::round(value);
    if (rounded < -0x1p63 || rounded >= 0x1p63)
        return std::nullopt;
    return std::llround(value);
}

QString wholeNumberText(double value) {
    const auto whole = roundedWholeNumber(value);
    return whole ? QString::number(*whole) : kPlaceholder;
}

std::optional<QString> pastText(qint64 amount, RelativeUnit unit, const QLocale& locale) {
    if (auto text = usEnglishPastText(amount, unit, locale))
        return text;
    return icuPastText(amount, unit, locale);
}

QString freshness(const QDateTime& date, const QDateTime& now, const LocalCalendar& calendar) {
    const QString text = QCoreApplication::translate("WeatherFormatting", "Updated %1");
    if (!date.isValid() || !now.isValid())
        return text.arg(kPlaceholder);
    // A date in the future (a clock set differently elsewhere) reads as now.
    const QDateTime shown = date > now ? now : date;
    const RelativeOffset offset = pastOffset(calendar.toLocal(shown), calendar.toLocal(now));
    return text.arg(pastText(offset.amount, offset.unit, calendar.locale()).value_or(kPlaceholder));
}

double displayTemperature(double celsius, TemperatureUnit unit) {
    return unit == TemperatureUnit::celsius ? celsius : celsius * 9 / 5 + 32;
}

double displayWindSpeed(double kph, WindSpeedUnit unit) {
    return unit == WindSpeedUnit::kilometersPerHour ? kph : kph * 0.621371;
}

QString temperature(double celsius, TemperatureUnit unit) {
    return wholeNumberText(displayTemperature(celsius, unit)) + QChar(0x00B0);
}

QString temperatureWithUnit(double celsius, TemperatureUnit unit) {
    return temperature(celsius, unit) + temperatureUnits::abbreviation(unit);
}

QString wind(double kph, WindSpeedUnit unit) {
    return wholeNumberText(displayWindSpeed(kph, unit)) + u' ' + windSpeedUnits::abbreviation(unit);
}

QString precipitationProbability(std::optional<double> probability) {
    return (probability ? percentText(*probability) : kPlaceholder) + u'%';
}

QString hourLabel(const QDateTime& date, const LocalCalendar& calendar) {
    if (!date.isValid())
        return kPlaceholder;
    QDateTime start = calendar.startOfHour(date);
    if (!start.isValid())
        start = date;
    // "Ap" writes the locale's own AM/PM marker ("PM" in English); the minutes are always 00.
    return calendar.locale().toString(calendar.toLocal(start).time(), u"h:00 Ap");
}

QString compactTime(const QDateTime& date, const LocalCalendar& calendar) {
    if (!date.isValid())
        return kPlaceholder;
    return calendar.locale().toString(calendar.toLocal(date).time(), shortTimePattern(calendar.locale()));
}

QString shortTimePattern(const QLocale& locale) {
    // Some locales' short form, the POSIX one among them ("HH:mm:ss"), still shows seconds: drop the seconds
    // field together with the separator before it. Quoted text is literal and stays.
    const QString pattern = locale.timeFormat(QLocale::ShortFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u's') {
            out.append(c);
            continue;
        }
        while (i + 1 < pattern.size() && pattern[i + 1] == u's')
            ++i;
        if (!out.isEmpty() && !out.back().isLetter() && out.back() != u'\'')
            out.chop(1);
    }
    return out;
}

QString compactMenuTitle(const ConsensusForecast* forecast, const WeatherSettings& settings) {
    if (!forecast || !forecast->current)
        return QCoreApplication::translate("WeatherFormatting", "Weather --%1").arg(QChar(0x00B0));
    QStringList parts{temperature(forecast->current->temperatureC, settings.temperatureUnit)};
    if (settings.showConditionInMenuBar)
        parts.append(conditions::title(forecast->current->condition));
    if (settings.showConfidenceInMenuBar)
        parts.append(percentText(forecast->confidence) + u'%');
    return parts.join(u' ');
}

QString compactMenuTitle(const std::optional<ConsensusForecast>& forecast, const WeatherSettings& settings) {
    return compactMenuTitle(forecast ? &*forecast : nullptr, settings);
}

QString confidence(double value) {
    return QCoreApplication::translate("WeatherFormatting", "%1% confidence").arg(percentText(value));
}

QString dataQualitySentence(const ConsensusForecast& forecast) {
    QString state;
    switch (forecast.state) {
    case ConsensusState::unavailable:
        return QCoreApplication::translate("WeatherFormatting", "No live forecast");
    case ConsensusState::ready:
        state = QCoreApplication::translate("WeatherFormatting", "Live");
        break;
    case ConsensusState::partial:
        state = QCoreApplication::translate("WeatherFormatting", "Partial");
        break;
    case ConsensusState::stale:
        state = QCoreApplication::translate("WeatherFormatting", "Stale");
        break;
    }
    const QString sources =
        forecast.providerCount == 1
            ? QCoreApplication::translate("WeatherFormatting", "1 source")
            : QCoreApplication::translate("WeatherFormatting", "%1 sources").arg(forecast.providerCount);
    // The separator is a bullet (U+2022) written out so that every source encoding reads it alike.
    //: %1 the state (Live, Partial, Stale), %2 the sources, %3 the percentage, %4 the separator
    return QCoreApplication::translate("WeatherFormatting", "%1 %4 %2 %4 %3% sure")
        .arg(state, sources, percentText(forecast.confidence), QString(QChar(0x2022)));
}

} // namespace nimbra::WeatherFormatting

#include "DailyListViewModel.h"

#include "WeatherFormatting.h"

#include <QCoreApplication>

namespace nimbra {

QString dailyDetailSentence(const DailyForecast& day, const WeatherSettings& settings) {
    return QCoreApplication::translate("DailyListViewModel",
                                       "%1 conditions with a low of %2, a high of %3, and %4 chance of "
                                       "precipitation.")
        .arg(conditions::title(day.condition),
             WeatherFormatting::temperature(day.lowC, settings.temperatureUnit),
             WeatherFormatting::temperature(day.highC, settings.temperatureUnit),
             WeatherFormatting::precipitationProbability(day.precipitationProbability));
}

DailyListViewModel buildDailyListViewModel(const QList<DailyForecast>& daily, const WeatherSettings& settings,
                                           const QSet<QDateTime>& expandedDays,
                                           const LocalCalendar& calendar) {
    DailyListViewModel vm;
    for (const char* title :
         {QT_TRANSLATE_NOOP("DailyListViewModel", "Day"), QT_TRANSLATE_NOOP("DailyListViewModel", "Forecast"),
          QT_TRANSLATE_NOOP("DailyListViewModel", "Low / High"),
          QT_TRANSLATE_NOOP("DailyListViewModel", "Rain")})
        vm.columnTitles.append(QCoreApplication::translate("DailyListViewModel", title).toUpper());
    const QList<DailyForecast> days = daily.mid(0, DailyListViewModel::maximumRows);
    for (const DailyForecast& day : days) {
        DailyRow row;
        row.date = day.date;
        const QDate localDate = calendar.toLocal(day.date).date();
        row.weekday = calendar.locale().dayName(localDate.dayOfWeek(), QLocale::LongFormat);
        row.condition = day.condition;
        row.lowHigh = WeatherFormatting::temperature(day.lowC, settings.temperatureUnit) +
                      QStringLiteral(" / ") +
                      WeatherFormatting::temperature(day.highC, settings.temperatureUnit);
        row.rain = WeatherFormatting::precipitationProbability(day.precipitationProbability);
        row.detail = dailyDetailSentence(day, settings);
        row.expanded = expandedDays.contains(day.date);
        row.chevronDegrees = row.expanded ? 180 : 0;
        row.showsDivider = day.date != days.last().date;
        row.accessibilityLabel =
            QCoreApplication::translate("DailyListViewModel", "Forecast for %1").arg(row.weekday);
        vm.rows.append(row);
    }
    return vm;
}

QSet<QDateTime> toggledDays(QSet<QDateTime> expandedDays, const QDateTime& day) {
    if (expandedDays.contains(day))
        expandedDays.remove(day);
    else
        expandedDays.insert(day);
    return expandedDays;
}

DailyColumnWidths dailyColumnWidths(double available, const DailyColumnNeeds& needs) {
    DailyColumnWidths w;
    double deficit = w.total() - available;
    if (deficit <= 0)
        return w;
    // Room a column can give before its text would no longer fit, in the order they give it up.
    const auto give = [&deficit](double& width, double floor) {
        const double spare = qMax(0.0, width - qMax(floor, 0.0));
        const double taken = qMin(spare, deficit);
        width -= taken;
        deficit -= taken;
    };
    give(w.day, needs.day);
    give(w.lowHigh, needs.lowHigh);
    give(w.icon, needs.icon);
    give(w.rain, needs.rain);
    if (deficit > 0) {
        const double perGap = qMin(deficit / 5, w.spacing - 4);
        w.spacing -= perGap;
        deficit -= 5 * perGap;
    }
    // Still too narrow: the weekday shrinks and is cut, the figures stay whole.
    if (deficit > 0)
        w.day = qMax(0.0, w.day - deficit);
    return w;
}

} // namespace nimbra

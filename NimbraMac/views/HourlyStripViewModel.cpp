#include "HourlyStripViewModel.h"

#include "WeatherFormatting.h"

namespace nimbra {

HourlyStripViewModel buildHourlyStripViewModel(const QList<WeatherSample>& hourly,
                                               const WeatherSettings& settings,
                                               const LocalCalendar& calendar) {
    HourlyStripViewModel vm;
    for (const WeatherSample& s : hourly.mid(0, HourlyStripViewModel::maximumCards)) {
        HourlyCard card;
        card.hour = WeatherFormatting::hourLabel(s.date, calendar);
        card.condition = s.condition;
        card.temperature = WeatherFormatting::temperature(s.temperatureC, settings.temperatureUnit);
        card.rain = WeatherFormatting::precipitationProbability(s.precipitationProbability);
        if (s.windKph)
            card.wind = WeatherFormatting::wind(*s.windKph, settings.windSpeedUnit);
        vm.cards.append(card);
    }
    return vm;
}

} // namespace nimbra

#include "MostFrequentCondition.h"

#include <array>

namespace nimbra {

WeatherCondition mostFrequentCondition(const QList<WeatherCondition>& conditions) {
    std::array<int, EnumNames<WeatherCondition>::rawValues.size()> counts{};
    WeatherCondition winner = WeatherCondition::unknown;
    int best = 0;
    for (const WeatherCondition c : conditions)
        ++counts[static_cast<std::size_t>(c)];
    // Walking the input (not the table) makes the earliest of tied conditions win.
    for (const WeatherCondition c : conditions) {
        const int count = counts[static_cast<std::size_t>(c)];
        if (count > best) {
            best = count;
            winner = c;
        }
    }
    return winner;
}

} // namespace nimbra

#pragma once

#include "WeatherCondition.h"

#include <QList>

namespace nimbra {

// The condition vote: the most frequent condition, unknown for an empty list. Among conditions tied for the
// highest count, the one that occurs first in the list wins, so identical data always votes alike.
WeatherCondition mostFrequentCondition(const QList<WeatherCondition>& conditions);

} // namespace nimbra

#pragma once

#include "WeatherAlertSeverity.h"
#include "WeatherCondition.h"

#include <QString>

#include <optional>

namespace nimbra {

// The condition a free description names ("Light Snow Showers" is snow); unknown when it names none. Never
// mostlyClear.
WeatherCondition conditionFromText(const QString& text);
// The texts that are present, joined with one blank, read as one description.
WeatherCondition conditionFromTexts(const std::optional<QString>& first,
                                    const std::optional<QString>& second);
// An alert's severity from its wording; moderate when it says nothing recognisable.
WeatherAlertSeverity severityFromText(const std::optional<QString>& text);

} // namespace nimbra

#pragma once

#include "WidgetKitLayer.h"

#include <QString>

namespace nimbra {

// The per-family choices of the three widgets' layouts: which layout, the card's paddings, the spacing of the
// card's column, and which blocks show with which limits.

struct WidgetCardPadding {
    double horizontal = 0;
    double vertical = 0;
    bool operator==(const WidgetCardPadding&) const = default;
};

enum class CurrentWidgetLayout { small, medium, large };

struct CurrentWidgetParameters {
    CurrentWidgetLayout layout = CurrentWidgetLayout::medium;
    WidgetCardPadding padding;
    double spacing = 0;
    // Large only: the hourly strip's limit and the daily rows' limit.
    int hourlyLimit = 0;
    int dailyLimit = 0;
    bool operator==(const CurrentWidgetParameters&) const = default;
};
CurrentWidgetParameters currentWidgetParameters(WidgetFamily family);

struct HourlyStripPlacement {
    int startIndex = 0;
    int limit = 0;
    bool expanded = false;
    bool operator==(const HourlyStripPlacement&) const = default;
};

struct HourlyWidgetParameters {
    WidgetCardPadding padding;
    double spacing = 0;
    QString subtitle;
    QList<HourlyStripPlacement> strips;
    bool operator==(const HourlyWidgetParameters&) const = default;
};
HourlyWidgetParameters hourlyWidgetParameters(WidgetFamily family);

struct TenDayWidgetParameters {
    WidgetCardPadding padding;
    double spacing = 0;
    // The medium widget shows only the compact grid, without a header.
    bool showsHeader = false;
    bool compactGrid = false;
    QString subtitle;
    bool operator==(const TenDayWidgetParameters&) const = default;
};
TenDayWidgetParameters tenDayWidgetParameters(WidgetFamily family);

} // namespace nimbra

#pragma once

#include <QDateTime>
#include <QList>
#include <QSize>
#include <QString>

#include <functional>

namespace nimbra {

// The desktop stand-in for the system's widget kit: the sizes a widget comes in, a timeline of entries with
// its reload policy, and the provider interface the widget host asks for entries.

enum class WidgetFamily { systemSmall, systemMedium, systemLarge };

// The host's fixed sizes, in logical pixels. Each layout is drawn for exactly this size. They are the
// smallest in which every layout keeps its paddings with this system's fonts at the widest readings ("100°",
// "-18°"): the compact ten-day cells need 180 px of height, its large list of ten days 416, and the small
// current-conditions row 204 px of width for "100°" beside its icon.
constexpr QSize widgetFamilySize(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::systemSmall:
        return QSize(204, 184);
    case WidgetFamily::systemMedium:
        return QSize(372, 180);
    case WidgetFamily::systemLarge:
        return QSize(372, 416);
    }
    return QSize(204, 184);
}

inline QString widgetFamilyName(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::systemSmall:
        return QStringLiteral("systemSmall");
    case WidgetFamily::systemMedium:
        return QStringLiteral("systemMedium");
    case WidgetFamily::systemLarge:
        return QStringLiteral("systemLarge");
    }
    return {};
}

// When the host asks the provider for a new timeline.
struct TimelineReloadPolicy {
    enum class Kind {
        // When the last entry's date has passed.
        atEnd,
        // Once `date` has passed.
        after,
        // Only when the application asks for a reload.
        never,
    };
    Kind kind = Kind::atEnd;
    // Set only for `after`.
    QDateTime date;

    static TimelineReloadPolicy atEnd() { return {Kind::atEnd, {}}; }
    static TimelineReloadPolicy after(const QDateTime& date) { return {Kind::after, date.toUTC()}; }
    static TimelineReloadPolicy never() { return {Kind::never, {}}; }

    bool operator==(const TimelineReloadPolicy&) const = default;
};

// Entries in ascending date order; the host shows each from its date until the next one's.
template <typename Entry> struct Timeline {
    QList<Entry> entries;
    TimelineReloadPolicy policy;

    bool operator==(const Timeline&) const = default;
};

// What the host tells the provider about the widget it asks for. No provider here consults it; it is passed
// so the interface keeps the kit's shape.
struct TimelineProviderContext {
    WidgetFamily family = WidgetFamily::systemSmall;
    bool isPreview = false;
};

// The interface the widget host calls. Each operation runs synchronously and calls its completion exactly
// once before it returns.
template <typename Entry> class TimelineProvider {
public:
    virtual ~TimelineProvider() = default;

    virtual Entry placeholder(const TimelineProviderContext& context) const = 0;
    virtual void getSnapshot(const TimelineProviderContext& context,
                             const std::function<void(const Entry&)>& completion) const = 0;
    virtual void getTimeline(const TimelineProviderContext& context,
                             const std::function<void(const Timeline<Entry>&)>& completion) const = 0;
};

} // namespace nimbra

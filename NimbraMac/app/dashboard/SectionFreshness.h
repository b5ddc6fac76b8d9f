#pragma once

#include "ConsensusForecast.h"
#include "WeatherSettings.h"

#include <functional>
#include <optional>

namespace nimbra {

// Whether the dashboard's sections still show what they should, so that they are built again only when that
// matters: when the forecast or the settings they show change, and at a showing once what they show has moved
// on while hidden (relative times, the hero's next sun event, rows scrolled by the user). A showing prepared
// in the turn before it builds them then, and the showing itself builds nothing again.
class SectionFreshness {
public:
    // What the sections are built from, of all the store holds.
    struct Source {
        std::optional<ConsensusForecast> forecast;
        WeatherSettings settings;
        bool operator==(const Source&) const = default;
    };

    // Whether the sections must be built (again) to show `source` now.
    bool mustRebuild(const Source& source) const { return m_builtFrom != source; }
    // The sections were built from `source`, on screen or not. True when they had been shown since the last
    // build and are hidden now: the next showing starts as a new dashboard does, their rows scrolled back to
    // the start.
    bool rebuilt(Source source, bool onScreen);

    // A showing follows in this turn, and the sections are brought up to date for it now. Those built since
    // the last showing are kept when the hero reads the same now (asked only then: the answer builds the
    // hero's model).
    void prepared(const std::function<bool()>& heroIsCurrent);
    // The turn of the prepared showing has passed.
    void preparationLapsed() { m_prepared = false; }
    // A prepared showing is under way: the dashboard works out what it shows as if it were on screen.
    bool isAboutToShow() const { return m_prepared; }
    // The dashboard shows. Unless this showing was prepared, the sections are stale: their relative times
    // have moved on while it was hidden.
    void shown();
    // The dashboard is off screen. True, the sections now stale, when they had been shown since they were
    // built: the next showing wants fresh ones.
    bool hidden();

private:
    void becameStale() { m_builtFrom.reset(); }

    // None before the first build, and while stale.
    std::optional<Source> m_builtFrom;
    // Relative times and scroll positions moved on since the build.
    bool m_shownSinceBuilt = false;
    bool m_prepared = false;
};

} // namespace nimbra

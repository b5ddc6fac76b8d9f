#include "LocationSearchController.h"

#include "Translations.h"

#include <QPointer>

#include <cmath>

namespace nimbra {

LocationSearchController::LocationSearchController(SearchFunction search, StoredLocations stored,
                                                   AddFunction add, std::unique_ptr<SingleShotTimer> timer,
                                                   QObject* parent)
    : QObject(parent), m_search(std::move(search)), m_stored(std::move(stored)), m_add(std::move(add)),
      m_timer(std::move(timer)) {}

LocationSearchController::~LocationSearchController() {
    cancel();
}

LocationSearchController::SearchFunction
LocationSearchController::searchWith(const LocationSearchService& service) {
    return [service](QString query, int count, CancellationToken cancel) {
        return service.search(std::move(query), count, std::move(cancel));
    };
}

bool LocationSearchController::isShowingSearchResults() const {
    return !m_text.trimmed().isEmpty();
}

LocationSearchController::StatusLine LocationSearchController::statusLine() const {
    if (m_isSearching)
        return StatusLine::searching;
    if (!isShowingSearchResults())
        return StatusLine::none;
    if (m_error)
        return StatusLine::error;
    if (m_results.isEmpty())
        return StatusLine::noResults;
    return StatusLine::none;
}

QString LocationSearchController::statusText() const {
    switch (statusLine()) {
    case StatusLine::searching:
        return translatedText("nimbra::LocationSearchController", searchingText);
    case StatusLine::error:
        return *m_error;
    case StatusLine::noResults:
        return translatedText("nimbra::LocationSearchController", noResultsText);
    case StatusLine::none:
        break;
    }
    return {};
}

void LocationSearchController::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    schedule();
}

void LocationSearchController::add(const WeatherLocation& location) {
    if (m_add)
        m_add(location);
    setText(QString());
    m_results.clear();
    m_error.reset();
    m_isSearching = false;
    Q_EMIT changed();
}

void LocationSearchController::cancel() {
    m_timer->stop();
    ++m_generation;
    if (m_cancel)
        m_cancel->cancel();
}

void LocationSearchController::resume() {
    if (m_isSearching)
        schedule();
}

void LocationSearchController::schedule() {
    cancel();
    m_error.reset();
    m_results.clear();
    const QString query = m_text.trimmed();
    m_isSearching = !query.isEmpty();
    if (m_isSearching) {
        const quint64 generation = m_generation;
        m_timer->start(debounce, [this, generation, query] { startRequest(generation, query); });
    }
    Q_EMIT changed();
}

void LocationSearchController::startRequest(quint64 generation, const QString& query) {
    if (generation != m_generation)
        return;
    m_cancel = makeCancellation();
    // Not kept: the coroutine runs to its end on its own and checks that it is still wanted.
    run(generation, query, m_cancel);
}

QCoro::Task<void> LocationSearchController::run(quint64 generation, QString query, CancellationToken cancel) {
    const QPointer<LocationSearchController> self(this);
    const LocationSearchResult result = co_await m_search(query, resultCount, cancel);
    if (!self || cancel->isCancelled() || generation != m_generation)
        co_return;
    if (result) {
        m_results = withoutStored(result.locations, m_stored ? m_stored() : QList<WeatherLocation>{});
    } else {
        m_results.clear();
        // A failure always says something, even one that came without a text.
        QString text = result.errorDescription;
        if (text.isEmpty())
            text = errorDescription(result.error.value_or(LocationSearchError::invalidResponse));
        m_error = text;
    }
    m_isSearching = false;
    Q_EMIT changed();
}

QList<WeatherLocation> LocationSearchController::withoutStored(const QList<WeatherLocation>& results,
                                                               const QList<WeatherLocation>& stored) {
    QList<WeatherLocation> kept;
    for (const WeatherLocation& result : results) {
        const bool repeats = std::any_of(stored.cbegin(), stored.cend(), [&](const WeatherLocation& s) {
            return (s.name == result.name && s.subtitle == result.subtitle) ||
                   (std::abs(s.latitude - result.latitude) < 0.01 &&
                    std::abs(s.longitude - result.longitude) < 0.01);
        });
        if (!repeats)
            kept.append(result);
    }
    return kept;
}

} // namespace nimbra

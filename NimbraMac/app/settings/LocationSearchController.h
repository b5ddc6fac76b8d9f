#pragma once

#include "Cancellation.h"
#include "LocationSearchService.h"
#include "SingleShotTimer.h"

#include <QObject>

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace nimbra {

// The place search of the locations tab: waits for a pause in typing, asks for at most eight places, and
// lists those not stored yet. Only the latest text's answer is ever shown: every change abandons the search
// before it (its request is aborted, its answer or failure dropped).
class LocationSearchController : public QObject {
    Q_OBJECT
public:
    using SearchFunction =
        std::function<QCoro::Task<LocationSearchResult>(QString query, int count, CancellationToken cancel)>;
    using StoredLocations = std::function<QList<WeatherLocation>()>;
    using AddFunction = std::function<void(const WeatherLocation&)>;

    static constexpr std::chrono::milliseconds debounce{350};
    static constexpr int resultCount = 8;
    static inline const QString searchingText =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::LocationSearchController", "Searching"));
    static inline const QString noResultsText =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::LocationSearchController", "No matching cities found."));

    // `stored` lists the places a result must not repeat; `add` keeps a chosen result.
    LocationSearchController(SearchFunction search, StoredLocations stored, AddFunction add,
                             std::unique_ptr<SingleShotTimer> timer = SingleShotTimer::make(),
                             QObject* parent = nullptr);
    // Over the real service.
    static SearchFunction searchWith(const LocationSearchService& service);
    ~LocationSearchController() override;

    const QString& text() const { return m_text; }
    const QList<WeatherLocation>& results() const { return m_results; }
    bool isSearching() const { return m_isSearching; }
    const std::optional<QString>& error() const { return m_error; }
    // The text, trimmed, is not empty: the results stand where the current and saved places stood.
    bool isShowingSearchResults() const;

    enum class StatusLine { none, searching, error, noResults };
    StatusLine statusLine() const;
    QString statusText() const;

    // A change of the field's text starts a new search (or, for blank text, none).
    void setText(const QString& text);
    // Keeps a listed result and clears the field.
    void add(const WeatherLocation& location);
    // The window went away: the running search is abandoned; what is shown stays.
    void cancel();
    // The window is back: a search abandoned while it was waiting or fetching starts again.
    void resume();

    // The results that repeat none of `stored`: not the same name and subtitle, not within 0.01 degrees in
    // both coordinates.
    static QList<WeatherLocation> withoutStored(const QList<WeatherLocation>& results,
                                                const QList<WeatherLocation>& stored);

Q_SIGNALS:
    void changed();

private:
    void schedule();
    void startRequest(quint64 generation, const QString& query);
    QCoro::Task<void> run(quint64 generation, QString query, CancellationToken cancel);

    SearchFunction m_search;
    StoredLocations m_stored;
    AddFunction m_add;
    std::unique_ptr<SingleShotTimer> m_timer;

    QString m_text;
    QList<WeatherLocation> m_results;
    bool m_isSearching = false;
    std::optional<QString> m_error;
    // Counts the searches started: an answer for an older one is dropped.
    quint64 m_generation = 0;
    CancellationToken m_cancel;
};

} // namespace nimbra

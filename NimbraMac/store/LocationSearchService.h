#pragma once

#include "Cancellation.h"
#include "Clock.h"
#include "HTTPSession.h"
#include "WeatherLocation.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>

namespace nimbra {

enum class LocationSearchError { emptyQuery, invalidURL, invalidResponse };

// The text the settings window shows.
QString errorDescription(LocationSearchError error);

// The candidates of one search, or why there are none.
struct LocationSearchResult {
    QList<WeatherLocation> locations;
    // Set for the search's own failures; a transport or decoding failure leaves it empty and says why in
    // errorDescription.
    std::optional<LocationSearchError> error;
    QString errorDescription;

    bool failed() const { return error.has_value() || !errorDescription.isEmpty(); }
    explicit operator bool() const { return !failed(); }
};

// Turns a typed place name into candidate locations with Open-Meteo's geocoding service. Holds no state of
// its own: copies share the session, and concurrent searches do not affect each other.
class LocationSearchService {
public:
    static QUrl defaultBaseURL();

    // An empty baseURL means the public service.
    explicit LocationSearchService(std::shared_ptr<HTTPSession> session, QUrl baseURL = {},
                                   std::shared_ptr<const Clock> clock = Clock::system());

    // The candidates in the service's order, each with a new id, without near-duplicates.
    QCoro::Task<LocationSearchResult> search(QString query, int count, CancellationToken cancel = {}) const;

    // The candidates of one answer of the service, each found at `now`.
    static LocationSearchResult result(const HTTPResponse& response, const QDateTime& now);
    // The request address; nothing when the base address is not an absolute one.
    static std::optional<QUrl> searchURL(const QUrl& baseURL, const QString& name, int count,
                                         const QString& language);
    // The known administrative areas and the country, blank and repeated neighbours left out.
    static QString subtitle(const std::optional<QString>& admin1, const std::optional<QString>& admin2,
                            const std::optional<QString>& country);
    // The first of every cluster of places less than 0.01 degrees apart in both coordinates.
    static QList<WeatherLocation> withoutNearDuplicates(const QList<WeatherLocation>& locations);

private:
    std::shared_ptr<HTTPSession> m_session;
    QUrl m_baseURL;
    std::shared_ptr<const Clock> m_clock;
};

} // namespace nimbra

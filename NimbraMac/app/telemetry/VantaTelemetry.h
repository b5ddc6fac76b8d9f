#pragma once

#include "Clock.h"
#include "TelemetryPayload.h"
#include "TelemetryPoster.h"

#include <QObject>
#include <QTimeZone>
#include <QUrl>

#include <memory>
#include <optional>

namespace nimbra {

class UserDefaults;

// The anonymous usage events: install (once per installation), launch, daily active (once per local day),
// update seen (the build changed), popover and settings opened, and one last event when reporting is
// switched off. One per process, owned by the application's delegate.
//
// Events travel only when the build names an endpoint. Without one, every event is still built and every
// marker written, but nothing leaves the machine.
// ("Vanta" is the name the telemetry had first; here it is Nimbra's own usage counter.)
class VantaTelemetry : public QObject {
    Q_OBJECT
public:
    struct Configuration {
        QString appID;
        QString bundleID;
        QString version;
        QString build;
        TelemetryPrivacyMode privacyMode = TelemetryPrivacyMode::pseudonymousInstall;

        // This program's: "nimbra", the application identifier, the build's version and build number ("0"
        // where one is empty), pseudonymous.
        static Configuration current();

        bool operator==(const Configuration&) const = default;
    };

    struct Dependencies {
        std::shared_ptr<UserDefaults> defaults;
        // Null, or an empty endpoint: events are built but not posted.
        std::shared_ptr<TelemetryPoster> poster;
        // The base address; the events go to its path "/api/app-events".
        QUrl endpoint;
        std::shared_ptr<const Clock> clock = Clock::system();
        // The zone whose calendar days count as days of activity.
        QTimeZone timeZone = QTimeZone::systemTimeZone();
    };

    // The standard user defaults, the build's endpoint, and an HTTP poster when that endpoint is set.
    explicit VantaTelemetry(QObject* parent = nullptr);
    explicit VantaTelemetry(Dependencies dependencies, QObject* parent = nullptr);
    ~VantaTelemetry() override;

    // Start-up: stores the configuration, then install (first start only), launch, daily active (first start
    // of the day) and update seen (build changed), writing each marker whether or not reporting is on.
    void start();
    void start(const Configuration& configuration);
    const std::optional<Configuration>& configuration() const { return m_configuration; }

    // On unless the user switched reporting off; on while nothing is configured.
    bool isEnabled() const;
    // Switching off sends "telemetry_disabled" first; nothing happens before start().
    void setEnabled(bool enabled);

    // The installation's identifier, created and stored on first use; none in aggregate mode.
    std::optional<QString> installID(const Configuration& configuration);
    // Builds the event's body and hands it on; returns at once. Only while reporting is on, except for
    // "telemetry_disabled".
    void send(TelemetryEvent event, const Configuration& configuration,
              const std::optional<QString>& installID);
    // For events outside start-up (popover, settings): sent only once started and while reporting is on.
    void sendIfEnabled(TelemetryEvent event);

    // Whether an event can leave the machine at all (the build names an endpoint).
    bool hasEndpoint() const { return !m_endpointURL.isEmpty(); }
    // "KavrinVantaTelemetry.<appID><suffix>"
    static QString defaultsKey(const QString& appID, const QString& suffix);
    // The address events are posted to: the base address with the path "/api/app-events" under its own path;
    // empty for an empty base.
    static QUrl endpointURL(const QUrl& base);
    // The calendar day of an instant in a zone, "%04d-%02d-%02d".
    static QString dayText(const QDateTime& instant, const QTimeZone& zone);
    static TelemetryPayload payload(TelemetryEvent event, const Configuration& configuration,
                                    const std::optional<QString>& installID);
    static TelemetryRequest request(const QByteArray& body, const Configuration& configuration,
                                    const QUrl& endpointURL);

Q_SIGNALS:
    void enabledChanged(bool enabled);

private:
    void post(const QByteArray& body, const Configuration& configuration);
    void recordDailyActive(const Configuration& configuration, const std::optional<QString>& installID);
    QString key(const Configuration& configuration, const char* suffix) const;
    std::optional<bool> boolValue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;

    std::shared_ptr<UserDefaults> m_defaults;
    std::shared_ptr<TelemetryPoster> m_poster;
    QUrl m_endpointURL;
    std::shared_ptr<const Clock> m_clock;
    QTimeZone m_timeZone;
    std::optional<Configuration> m_configuration;
};

} // namespace nimbra

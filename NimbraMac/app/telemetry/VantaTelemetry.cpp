#include "VantaTelemetry.h"

#include "BuildInfo.h"
#include "UUIDText.h"
#include "UserDefaults.h"

#include <QUuid>

namespace nimbra {

namespace {

QString orZero(const QString& text) {
    return text.isEmpty() ? QStringLiteral("0") : text;
}

VantaTelemetry::Dependencies buildDependencies() {
    VantaTelemetry::Dependencies dependencies;
    dependencies.defaults = UserDefaults::standard();
    dependencies.endpoint = BuildInfo::telemetryEndpoint();
    if (!dependencies.endpoint.isEmpty())
        dependencies.poster = std::make_shared<HTTPTelemetryPoster>();
    return dependencies;
}

} // namespace

VantaTelemetry::Configuration VantaTelemetry::Configuration::current() {
    const QString identifier = BuildInfo::applicationIdentifier();
    return Configuration{
        .appID = QStringLiteral("nimbra"),
        .bundleID = identifier.isEmpty() ? QStringLiteral("com.tarnwick.Nimbra.mac") : identifier,
        .version = orZero(BuildInfo::version()),
        .build = orZero(BuildInfo::build()),
        .privacyMode = TelemetryPrivacyMode::pseudonymousInstall,
    };
}

VantaTelemetry::VantaTelemetry(QObject* parent) : VantaTelemetry(buildDependencies(), parent) {}

VantaTelemetry::VantaTelemetry(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_defaults(std::move(dependencies.defaults)), m_poster(std::move(dependencies.poster)),
      m_endpointURL(endpointURL(dependencies.endpoint)),
      m_clock(dependencies.clock ? std::move(dependencies.clock) : Clock::system()),
      m_timeZone(dependencies.timeZone.isValid() ? dependencies.timeZone : QTimeZone::systemTimeZone()) {
    if (!m_defaults)
        m_defaults = std::make_shared<InMemoryUserDefaults>();
    if (!m_poster)
        m_endpointURL.clear();
}

VantaTelemetry::~VantaTelemetry() = default;

void VantaTelemetry::start() {
    start(Configuration::current());
}

void VantaTelemetry::start(const Configuration& configuration) {
    m_configuration = configuration;
    const std::optional<QString> id = installID(configuration);
    const std::optional<QString> lastBuild = stringValue(key(configuration, ".lastBuild"));

    const QString installSentKey = key(configuration, ".installSent");
    if (!boolValue(installSentKey).value_or(false)) {
        send(TelemetryEvent::install, configuration, id);
        m_defaults->setValue(installSentKey, true);
    }
    send(TelemetryEvent::launch, configuration, id);
    recordDailyActive(configuration, id);
    if (lastBuild && *lastBuild != configuration.build)
        send(TelemetryEvent::updateSeen, configuration, id);
    m_defaults->setValue(key(configuration, ".lastBuild"), configuration.build);
}

bool VantaTelemetry::isEnabled() const {
    if (!m_configuration)
        return true;
    return boolValue(key(*m_configuration, ".enabled")).value_or(true);
}

void VantaTelemetry::setEnabled(bool enabled) {
    if (!m_configuration)
        return;
    const Configuration configuration = *m_configuration;
    const bool wasEnabled = isEnabled();
    if (wasEnabled && !enabled)
        send(TelemetryEvent::telemetryDisabled, configuration, installID(configuration));
    m_defaults->setValue(key(configuration, ".enabled"), enabled);
    if (wasEnabled != enabled)
        Q_EMIT enabledChanged(enabled);
}

std::optional<QString> VantaTelemetry::installID(const Configuration& configuration) {
    if (configuration.privacyMode == TelemetryPrivacyMode::aggregate)
        return std::nullopt;
    const QString idKey = key(configuration, ".installID");
    if (const auto stored = stringValue(idKey); stored && !stored->isEmpty())
        return stored;
    const QString created = uuidText(QUuid::createUuid());
    m_defaults->setValue(idKey, created);
    return created;
}

void VantaTelemetry::send(TelemetryEvent event, const Configuration& configuration,
                          const std::optional<QString>& installID) {
    if (!isEnabled() && event != TelemetryEvent::telemetryDisabled)
        return;
    post(payload(event, configuration, installID).encoded(), configuration);
}

void VantaTelemetry::sendIfEnabled(TelemetryEvent event) {
    if (!m_configuration || !isEnabled())
        return;
    const Configuration configuration = *m_configuration;
    send(event, configuration, installID(configuration));
}

QString VantaTelemetry::defaultsKey(const QString& appID, const QString& suffix) {
    return QStringLiteral("KavrinVantaTelemetry.") + appID + suffix;
}

QUrl VantaTelemetry::endpointURL(const QUrl& base) {
    if (base.isEmpty() || !base.isValid())
        return {};
    QUrl url = base;
    QString path = base.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    url.setPath(path + QStringLiteral("/api/app-events"));
    return url;
}

QString VantaTelemetry::dayText(const QDateTime& instant, const QTimeZone& zone) {
    const QDate day = instant.toTimeZone(zone).date();
    return QString::asprintf("%04d-%02d-%02d", day.year(), day.month(), day.day());
}

TelemetryPayload VantaTelemetry::payload(TelemetryEvent event, const Configuration& configuration,
                                         const std::optional<QString>& installID) {
    TelemetryPayload payload{
        .app = configuration.appID,
        .event = wireName(event),
        .installHash = std::nullopt,
        .version = configuration.version,
        .build = configuration.build,
        .osMajor = operatingSystemMajorVersion(),
        .arch = buildArchitecture(),
    };
    if (installID)
        payload.installHash = installHash(configuration.appID, *installID);
    return payload;
}

TelemetryRequest VantaTelemetry::request(const QByteArray& body, const Configuration& configuration,
                                         const QUrl& endpointURL) {
    const QString userAgent = configuration.appID + QLatin1Char('/') + configuration.version +
                              QStringLiteral(" (") + configuration.build + QLatin1Char(')');
    return TelemetryRequest{.url = endpointURL, .userAgent = userAgent.toUtf8(), .body = body};
}

void VantaTelemetry::post(const QByteArray& body, const Configuration& configuration) {
    // Without an endpoint the event stays here: nothing is sent to a host the maker does not run.
    if (m_endpointURL.isEmpty())
        return;
    m_poster->post(request(body, configuration, m_endpointURL));
}

void VantaTelemetry::recordDailyActive(const Configuration& configuration,
                                       const std::optional<QString>& installID) {
    const QString today = dayText(m_clock->now(), m_timeZone);
    const QString dayKey = key(configuration, ".lastDailyActive");
    if (stringValue(dayKey) == today)
        return;
    send(TelemetryEvent::dailyActive, configuration, installID);
    m_defaults->setValue(dayKey, today);
}

QString VantaTelemetry::key(const Configuration& configuration, const char* suffix) const {
    return defaultsKey(configuration.appID, QString::fromLatin1(suffix));
}

// The preferences file keeps no types: a Boolean comes back as the text "true" or "false".
std::optional<bool> VantaTelemetry::boolValue(const QString& key) const {
    const QVariant value = m_defaults->value(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("false"))
            return false;
    }
    return std::nullopt;
}

std::optional<QString> VantaTelemetry::stringValue(const QString& key) const {
    const QVariant value = m_defaults->value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

} // namespace nimbra

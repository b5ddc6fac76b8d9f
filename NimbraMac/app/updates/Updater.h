#pragma once

#include "Appcast.h"

#include <QObject>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <optional>

namespace nimbra {

class HTTPSession;
struct HTTPResponse;

struct UpdateCheckResult {
    enum class Outcome { upToDate, updateAvailable, failed };

    Outcome outcome = Outcome::failed;
    // The release offered, with updateAvailable.
    std::optional<AppcastItem> release;
    // What went wrong, with failed: a fixed text that never holds the feed's address.
    QString error;

    bool operator==(const UpdateCheckResult&) const = default;
};

// Reads the build's update feed and says whether a newer release exists. It never installs anything: the
// package manager does that, or the person from the download page.
class Updater : public QObject {
    Q_OBJECT
public:
    // The whole check's bound, however slowly the feed trickles in.
    static constexpr std::chrono::milliseconds timeout{20'000};

    explicit Updater(QUrl feedURL, QObject* parent = nullptr);
    ~Updater() override;

    const QUrl& feedURL() const { return m_feedURL; }
    // `timeout` unless set (tests shorten it).
    void setTimeLimit(std::chrono::milliseconds limit) { m_timeLimit = limit; }

    // Fetches the feed and weighs it against the running version and build. Never throws; failures are
    // results. Ends within the time limit.
    QCoro::Task<UpdateCheckResult> check(QString version, QString build);

    // The feed's answer weighed against the running version and build.
    static UpdateCheckResult resultFrom(const HTTPResponse& response, const QString& version,
                                        const QString& build);
    static UpdateCheckResult resultFrom(const Appcast& appcast, const QString& version, const QString& build);

private:
    QUrl m_feedURL;
    HTTPSession* m_session;
    std::chrono::milliseconds m_timeLimit = timeout;
};

} // namespace nimbra

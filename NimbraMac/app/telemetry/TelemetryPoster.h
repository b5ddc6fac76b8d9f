#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QUrl>

#include <chrono>
#include <memory>

namespace nimbra {

class HTTPSession;

// One usage event's HTTP POST: the address, the headers that vary and the JSON body.
struct TelemetryRequest {
    static constexpr std::chrono::milliseconds timeout{4'000};

    QUrl url;
    QByteArray userAgent;
    QByteArray body;

    // Content-Type "application/json", the User-Agent, the default cache policy.
    QNetworkRequest networkRequest() const;

    bool operator==(const TelemetryRequest&) const = default;
};

// Starts a usage event's request. Fire and forget: nothing is reported back, nothing is retried.
class TelemetryPoster {
public:
    virtual ~TelemetryPoster() = default;
    virtual void post(TelemetryRequest request) = 0;
};

// Posts over its own HTTP session. Each request starts on a later turn of the event loop, in the order the
// events were sent, so the caller never waits for the network stack; the answer and any failure are ignored.
class HTTPTelemetryPoster final : public TelemetryPoster {
public:
    HTTPTelemetryPoster();
    ~HTTPTelemetryPoster() override;

    void post(TelemetryRequest request) override;

private:
    std::unique_ptr<HTTPSession> m_session;
};

} // namespace nimbra

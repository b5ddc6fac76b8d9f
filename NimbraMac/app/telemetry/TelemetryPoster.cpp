#include "TelemetryPoster.h"

#include "HTTPSession.h"

#include <QPointer>

namespace nimbra {

namespace {

// The frame ends when the reply finishes or the session is destroyed; the answer is of no interest.
QCoro::Task<void> postAndForget(QPointer<HTTPSession> session, TelemetryRequest request) {
    if (!session)
        co_return;
    co_await session->post(request.networkRequest(), request.body, {}, TelemetryRequest::timeout);
}

} // namespace

QNetworkRequest TelemetryRequest::networkRequest() const {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader(QByteArrayLiteral("User-Agent"), userAgent);
    request.setTransferTimeout(static_cast<int>(timeout.count()));
    return request;
}

HTTPTelemetryPoster::HTTPTelemetryPoster() : m_session(std::make_unique<HTTPSession>()) {}

HTTPTelemetryPoster::~HTTPTelemetryPoster() = default;

void HTTPTelemetryPoster::post(TelemetryRequest request) {
    QMetaObject::invokeMethod(
        m_session.get(),
        [session = QPointer<HTTPSession>(m_session.get()), request = std::move(request)] {
            postAndForget(session, request);
        },
        Qt::QueuedConnection);
}

} // namespace nimbra

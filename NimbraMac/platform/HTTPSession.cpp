#include "HTTPSession.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <QCoro/QCoroNetworkReply>

#include <memory>

namespace nimbra {

namespace {

// Set on a reply that we aborted on purpose, so that its OperationCanceledError is read as a cancellation and
// not as the transfer time-out, which Qt reports with the same code.
constexpr char kCancelledProperty[] = "nimbraCancelled";

struct DeleteLater {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};

void abortOnPurpose(QNetworkReply* reply) {
    reply->setProperty(kCancelledProperty, true);
    // A reply that has reported its failure ends by itself; aborting it would report a second error, which Qt
    // refuses with a warning.
    if (reply->error() == QNetworkReply::NoError)
        reply->abort();
}

HTTPResponse cancelledResponse() {
    HTTPResponse response;
    response.transportError = QStringLiteral("cancelled");
    response.cancelled = true;
    return response;
}

// Fixed texts: errorString() embeds the request URL, which can carry an API key in its query.
QString transportErrorText(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        return QCoreApplication::translate("HTTPSession", "The request timed out.");
    case QNetworkReply::HostNotFoundError:
        return QCoreApplication::translate("HTTPSession",
                                           "A server with the specified hostname could not be found.");
    case QNetworkReply::ConnectionRefusedError:
        return QCoreApplication::translate("HTTPSession", "Could not connect to the server.");
    case QNetworkReply::RemoteHostClosedError:
        return QCoreApplication::translate("HTTPSession", "The network connection was lost.");
    case QNetworkReply::SslHandshakeFailedError:
        return QCoreApplication::translate(
            "HTTPSession", "An SSL error has occurred and a secure connection to the server cannot be made.");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
        return QCoreApplication::translate("HTTPSession", "The Internet connection appears to be offline.");
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return QCoreApplication::translate(
            "HTTPSession", "The request was redirected too many times or to an unsafe address.");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::UnknownProxyError:
        return QCoreApplication::translate("HTTPSession", "The proxy server could not be reached.");
    default:
        return QCoreApplication::translate("HTTPSession", "The network connection failed.");
    }
}

// Errors in these ranges are Qt's names for HTTP statuses (4xx and 5xx): the answer itself is complete. Qt
// files a plain 400 Bad Request under ProtocolInvalidOperationError.
bool isHTTPStatusError(QNetworkReply::NetworkError error) {
    const int code = static_cast<int>(error);
    return (code >= 201 && code <= 299) || (code >= 401 && code <= 499) ||
           error == QNetworkReply::ProtocolInvalidOperationError;
}

HTTPResponse responseFrom(QNetworkReply& reply) {
    HTTPResponse response;
    if (reply.property(kCancelledProperty).toBool())
        return cancelledResponse();
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const auto error = reply.error();
    if (!status.isValid() || (error != QNetworkReply::NoError && !isHTTPStatusError(error))) {
        response.transportError = transportErrorText(error);
        return response;
    }
    response.statusCode = status.toInt();
    response.headers = reply.rawHeaderPairs();
    response.body = reply.readAll();
    return response;
}

// Static so the frame never refers to the session: a reply may finish while the session is being destroyed.
QCoro::Task<HTTPResponse> awaitReply(QNetworkReply* rawReply, CancellationToken cancel) {
    const std::unique_ptr<QNetworkReply, DeleteLater> reply(rawReply);
    QMetaObject::Connection onCancel;
    if (cancel)
        onCancel = QObject::connect(cancel.get(), &Cancellation::cancelled, rawReply,
                                    [rawReply] { abortOnPurpose(rawReply); });
    if (!reply->isFinished())
        co_await reply.get();
    QObject::disconnect(onCancel);
    co_return responseFrom(*reply);
}

QCoro::Task<HTTPResponse> readyResponse(HTTPResponse response) {
    co_return response;
}

void prepare(QNetworkRequest& request, std::chrono::milliseconds timeout) {
    // Every request ends eventually: Qt's own default is no time-out at all.
    if (timeout <= std::chrono::milliseconds::zero() || timeout > HTTPSession::defaultTimeout)
        timeout = HTTPSession::defaultTimeout;
    request.setTransferTimeout(static_cast<int>(timeout.count()));
}

} // namespace

QByteArray HTTPResponse::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

HTTPSession::HTTPSession(QObject* parent) : QObject(parent) {}

QNetworkAccessManager* HTTPSession::networkAccessManager() const {
    // Made at the first request: most launches ask the network for nothing.
    if (!m_manager)
        m_manager = new QNetworkAccessManager(const_cast<HTTPSession*>(this));
    return m_manager;
}

HTTPSession::~HTTPSession() {
    abortAll();
}

QCoro::Task<HTTPResponse> HTTPSession::get(QNetworkRequest request, CancellationToken cancel,
                                           std::chrono::milliseconds timeout) {
    if (cancel && cancel->isCancelled())
        return readyResponse(cancelledResponse());
    prepare(request, timeout);
    return awaitReply(networkAccessManager()->get(request), std::move(cancel));
}

QCoro::Task<HTTPResponse> HTTPSession::post(QNetworkRequest request, QByteArray body,
                                            CancellationToken cancel, std::chrono::milliseconds timeout) {
    if (cancel && cancel->isCancelled())
        return readyResponse(cancelledResponse());
    prepare(request, timeout);
    return awaitReply(networkAccessManager()->post(request, body), std::move(cancel));
}

void HTTPSession::abortAll() {
    if (!m_manager)
        return;
    const auto replies = m_manager->findChildren<QNetworkReply*>(Qt::FindDirectChildrenOnly);
    for (QNetworkReply* reply : replies) {
        if (!reply->isFinished())
            abortOnPurpose(reply);
    }
}

} // namespace nimbra

#pragma once

#include "Cancellation.h"

#include <QByteArray>
#include <QList>
#include <QNetworkRequest>
#include <QObject>
#include <QPair>
#include <QPointer>

#include <QCoro/QCoroTask>

#include <chrono>
#include <optional>

class QNetworkAccessManager;

namespace nimbra {

struct HTTPResponse {
    int statusCode = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Set when no complete HTTP answer arrived (connection refused or lost, TLS failure, time-out,
    // cancellation): a fixed English text that never contains the request's address. "cancelled" for a
    // cancellation.
    std::optional<QString> transportError;
    bool cancelled = false;

    bool isSuccess() const { return !transportError && statusCode >= 200 && statusCode <= 299; }
    QByteArray header(const QByteArray& name) const;
};

// Awaitable HTTP over QNetworkAccessManager. Every request has a transfer time-out (no bytes for that long
// ends it): the given one, at most and by default 60 s. A cancellation token aborts the request; a token that
// is already cancelled sends nothing. Qt chooses Accept-Encoding itself and decompresses gzip and deflate
// bodies, so callers must not set that header. Replies finish (and their coroutines end) when the session is
// destroyed.
class HTTPSession : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultTimeout{60'000};

    explicit HTTPSession(QObject* parent = nullptr);
    ~HTTPSession() override;

    QCoro::Task<HTTPResponse> get(QNetworkRequest request, CancellationToken cancel = {},
                                  std::chrono::milliseconds timeout = defaultTimeout);
    QCoro::Task<HTTPResponse> post(QNetworkRequest request, QByteArray body, CancellationToken cancel = {},
                                   std::chrono::milliseconds timeout = defaultTimeout);
    // Aborts every reply still pending.
    void abortAll();

    QNetworkAccessManager* networkAccessManager() const;

private:
    mutable QNetworkAccessManager* m_manager = nullptr;
};

} // namespace nimbra

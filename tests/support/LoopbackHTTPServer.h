#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

class QTcpServer;
class QTcpSocket;

namespace nimbra {

// One request as the server received it.
struct RecordedRequest {
    QByteArray method;
    QString path;
    // Decoded query items in the order they were sent, duplicates kept.
    QList<QPair<QString, QString>> query;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    QByteArray header(const QByteArray& name) const;
    QStringList queryValues(const QString& name) const;
    std::optional<QString> queryValue(const QString& name) const;
};

// What the server answers on one path.
struct CannedResponse {
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json";
    QList<QPair<QByteArray, QByteArray>> headers;
    std::chrono::milliseconds delay{0};
    // Accept the request and never answer.
    bool stall = false;
    // Send the body gzip-compressed with "Content-Encoding: gzip".
    bool gzip = false;
    // Announce the whole body but close the connection after this many bytes of it.
    std::optional<qsizetype> dropAfterBodyBytes;
    // Send the answer (head and body) one byte at a time, this far apart.
    std::chrono::milliseconds byteInterval{0};

    static CannedResponse json(QByteArray body, int status = 200);
    static CannedResponse text(QByteArray body, int status = 200);
    static CannedResponse stalled();
    CannedResponse delayed(std::chrono::milliseconds by) const;
    CannedResponse compressed() const;
    CannedResponse trickled(std::chrono::milliseconds interval) const;
};

// A small HTTP/1.1 server on 127.0.0.1 that answers canned responses by path and records every request. Paths
// with no route answer 404. Each connection carries one request and is closed after the answer.
class LoopbackHTTPServer : public QObject {
    Q_OBJECT
public:
    explicit LoopbackHTTPServer(QObject* parent = nullptr);
    ~LoopbackHTTPServer() override;

    // Listens on an ephemeral port of 127.0.0.1; false when that fails.
    bool listen();
    quint16 port() const;
    // "http://127.0.0.1:<port>", for a client's base address.
    QUrl baseURL() const;
    QUrl url(const QString& pathAndQuery) const;

    // Every request to path gets this answer.
    void route(const QString& path, CannedResponse response);
    // Successive requests to path get these answers in turn; the last one repeats.
    void routeSequence(const QString& path, QList<CannedResponse> responses);

    QList<RecordedRequest> requests() const { return m_requests; }
    QList<RecordedRequest> requests(const QString& path) const;
    // Connections still open with a request on them whose answer is stalled or delayed (a connection the
    // client opened ahead and left idle does not count).
    int openConnections() const;

    // gzip framing around raw deflate, as a real server sends it.
    static QByteArray gzipCompress(const QByteArray& data);

Q_SIGNALS:
    void requestReceived(const nimbra::RecordedRequest& request);

private:
    void accept();
    void read(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const RecordedRequest& request);
    void trickle(QTcpSocket* socket, const QByteArray& message, std::chrono::milliseconds interval);
    CannedResponse responseFor(const QString& path);

    QTcpServer* m_server;
    QHash<QString, QList<CannedResponse>> m_routes;
    QHash<QString, int> m_served;
    QList<RecordedRequest> m_requests;
    QList<QPointer<QTcpSocket>> m_sockets;
};

} // namespace nimbra

#include "LoopbackHTTPServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include <array>

namespace nimbra {

namespace {

constexpr char kBufferProperty[] = "nimbraRequestBuffer";
constexpr char kAnsweredProperty[] = "nimbraAnswered";

quint32 crc32(const QByteArray& data) {
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data)
        crc = table[(crc ^ static_cast<quint8>(byte)) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void appendLittleEndian(QByteArray& out, quint32 value) {
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

// A complete request in buffer, or nothing yet.
std::optional<RecordedRequest> parseRequest(const QByteArray& buffer) {
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return std::nullopt;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    RecordedRequest request;
    request.method = requestLine.value(0);
    const QUrl target(QString::fromLatin1(requestLine.value(1)));
    request.path = target.path();
    request.query = QUrlQuery(target).queryItems(QUrl::FullyDecoded);
    qsizetype contentLength = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append({name, value});
        if (name.compare("content-length", Qt::CaseInsensitive) == 0)
            contentLength = value.toLongLong();
    }
    const qsizetype bodyStart = headerEnd + 4;
    if (buffer.size() - bodyStart < contentLength)
        return std::nullopt;
    request.body = buffer.mid(bodyStart, contentLength);
    return request;
}

} // namespace

QByteArray RecordedRequest::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QStringList RecordedRequest::queryValues(const QString& name) const {
    QStringList values;
    for (const auto& [key, value] : query) {
        if (key == name)
            values.append(value);
    }
    return values;
}

std::optional<QString> RecordedRequest::queryValue(const QString& name) const {
    const QStringList values = queryValues(name);
    if (values.isEmpty())
        return std::nullopt;
    return values.first();
}

CannedResponse CannedResponse::json(QByteArray body, int status) {
    CannedResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

CannedResponse CannedResponse::text(QByteArray body, int status) {
    CannedResponse response = json(std::move(body), status);
    response.contentType = "text/plain; charset=utf-8";
    return response;
}

CannedResponse CannedResponse::stalled() {
    CannedResponse response;
    response.stall = true;
    return response;
}

CannedResponse CannedResponse::trickled(std::chrono::milliseconds interval) const {
    CannedResponse response = *this;
    response.byteInterval = interval;
    return response;
}

CannedResponse CannedResponse::delayed(std::chrono::milliseconds by) const {
    CannedResponse response = *this;
    response.delay = by;
    return response;
}

CannedResponse CannedResponse::compressed() const {
    CannedResponse response = *this;
    response.gzip = true;
    return response;
}

LoopbackHTTPServer::LoopbackHTTPServer(QObject* parent) : QObject(parent), m_server(new QTcpServer(this)) {
    connect(m_server, &QTcpServer::newConnection, this, &LoopbackHTTPServer::accept);
}

LoopbackHTTPServer::~LoopbackHTTPServer() {
    for (const auto& socket : std::as_const(m_sockets)) {
        if (socket)
            socket->abort();
    }
}

bool LoopbackHTTPServer::listen() {
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 LoopbackHTTPServer::port() const {
    return m_server->serverPort();
}

QUrl LoopbackHTTPServer::baseURL() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port()));
}

QUrl LoopbackHTTPServer::url(const QString& pathAndQuery) const {
    return QUrl(baseURL().toString() + pathAndQuery);
}

void LoopbackHTTPServer::route(const QString& path, CannedResponse response) {
    routeSequence(path, {std::move(response)});
}

void LoopbackHTTPServer::routeSequence(const QString& path, QList<CannedResponse> responses) {
    m_routes.insert(path, std::move(responses));
    m_served.remove(path);
}

QList<RecordedRequest> LoopbackHTTPServer::requests(const QString& path) const {
    QList<RecordedRequest> matching;
    for (const auto& request : m_requests) {
        if (request.path == path)
            matching.append(request);
    }
    return matching;
}

int LoopbackHTTPServer::openConnections() const {
    int open = 0;
    for (const auto& socket : m_sockets) {
        // A connection the client opened ahead and never sent a request on is idle, not a request in flight.
        if (socket && socket->state() == QAbstractSocket::ConnectedState &&
            !socket->property(kBufferProperty).toByteArray().isEmpty())
            ++open;
    }
    return open;
}

QByteArray LoopbackHTTPServer::gzipCompress(const QByteArray& data) {
    // qCompress gives a 4-byte length, a 2-byte zlib header, raw deflate and a 4-byte Adler-32.
    const QByteArray zlib = qCompress(data, 9);
    const QByteArray deflate = zlib.mid(6, zlib.size() - 6 - 4);
    QByteArray out("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
    out.append(deflate);
    appendLittleEndian(out, crc32(data));
    appendLittleEndian(out, static_cast<quint32>(data.size()));
    return out;
}

void LoopbackHTTPServer::accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        m_sockets.removeIf([](const QPointer<QTcpSocket>& s) { return s.isNull(); });
        m_sockets.append(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        read(socket);
    }
}

void LoopbackHTTPServer::read(QTcpSocket* socket) {
    if (socket->property(kAnsweredProperty).toBool()) {
        socket->readAll();
        return;
    }
    const QByteArray buffer = socket->property(kBufferProperty).toByteArray() + socket->readAll();
    socket->setProperty(kBufferProperty, buffer);
    const auto request = parseRequest(buffer);
    if (!request)
        return;
    socket->setProperty(kAnsweredProperty, true);
    m_requests.append(*request);
    Q_EMIT requestReceived(*request);
    answer(socket, *request);
}

CannedResponse LoopbackHTTPServer::responseFor(const QString& path) {
    const auto found = m_routes.constFind(path);
    if (found == m_routes.constEnd() || found->isEmpty())
        return CannedResponse::text("no route", 404);
    const int index = std::min<int>(m_served.value(path), static_cast<int>(found->size()) - 1);
    m_served[path] = index + 1;
    return found->at(index);
}

void LoopbackHTTPServer::trickle(QTcpSocket* socket, const QByteArray& message,
                                 std::chrono::milliseconds interval) {
    auto* timer = new QTimer(socket);
    connect(timer, &QTimer::timeout, socket, [socket, timer, message, sent = qsizetype(0)]() mutable {
        socket->write(message.mid(sent++, 1));
        if (sent < message.size())
            return;
        timer->stop();
        socket->disconnectFromHost();
    });
    timer->start(interval);
}

void LoopbackHTTPServer::answer(QTcpSocket* socket, const RecordedRequest& request) {
    const CannedResponse response = responseFor(request.path);
    if (response.stall)
        return;
    const QByteArray body = response.gzip ? gzipCompress(response.body) : response.body;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                      reasonPhrase(response.status) + "\r\nContent-Type: " + response.contentType +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n";
    if (response.gzip)
        head += "Content-Encoding: gzip\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    head += "\r\n";
    const QByteArray sent = response.dropAfterBodyBytes ? body.left(*response.dropAfterBodyBytes) : body;
    const QPointer<QTcpSocket> target(socket);
    if (response.byteInterval > std::chrono::milliseconds::zero()) {
        trickle(socket, head + sent, response.byteInterval);
        return;
    }
    auto send = [target, message = head + sent] {
        if (!target)
            return;
        target->write(message);
        target->disconnectFromHost();
    };
    if (response.delay > std::chrono::milliseconds::zero())
        QTimer::singleShot(response.delay, socket, send);
    else
        send();
}

} // namespace nimbra

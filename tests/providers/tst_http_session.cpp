#include "HTTPSession.h"
#include "LoopbackHTTPServer.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

using namespace nimbra;
using namespace std::chrono_literals;
using nimbra::testing::runTask;

class HTTPSessionTest : public QObject {
    Q_OBJECT

private:
    LoopbackHTTPServer* m_server = nullptr;
    HTTPSession* m_session = nullptr;

    QNetworkRequest request(const QString& pathAndQuery) const {
        return QNetworkRequest(m_server->url(pathAndQuery));
    }

private Q_SLOTS:
    void init() {
        m_server = new LoopbackHTTPServer(this);
        QVERIFY(m_server->listen());
        m_session = new HTTPSession(this);
    }

    void cleanup() {
        delete m_session;
        delete m_server;
    }

    void answersCarryStatusHeadersAndBody_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("success");
        QTest::newRow("ok") << 200 << QByteArray(R"({"temperature":21.5})") << true;
        QTest::newRow("unauthorized keeps its body")
            << 401 << QByteArray(R"({"message":"Invalid API key"})") << false;
        QTest::newRow("server error") << 503 << QByteArray("down for maintenance") << false;
        QTest::newRow("bad request keeps its body")
            << 400 << QByteArray(R"({"reason":"bad latitude"})") << false;
        QTest::newRow("empty body") << 204 << QByteArray() << true;
    }
    void answersCarryStatusHeadersAndBody() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, success);
        m_server->route("/v1/forecast", CannedResponse::json(body, status));
        const auto response = runTask(m_session->get(request("/v1/forecast")));
        QVERIFY(response);
        QCOMPARE(response->statusCode, status);
        QCOMPARE(response->body, body);
        QCOMPARE(response->transportError, std::nullopt);
        QCOMPARE(response->isSuccess(), success);
        QCOMPARE(response->header("content-type"), QByteArray("application/json"));
    }

    // Qt only decompresses when it chose Accept-Encoding itself.
    void gzipBodiesArriveDecompressed() {
        const QByteArray document = QByteArray(R"({"hourly":[)") + QByteArray("1.5,").repeated(500) + "2]}";
        m_server->route("/forecast", CannedResponse::json(document).compressed());
        const auto response = runTask(m_session->get(request("/forecast")));
        QVERIFY(response);
        QCOMPARE(response->statusCode, 200);
        QCOMPARE(response->body, document);
        QVERIFY(m_server->requests().first().header("accept-encoding").contains("gzip"));
    }

    void postSendsItsBody() {
        m_server->route("/token", CannedResponse::json("{}"));
        QNetworkRequest post = request("/token");
        post.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        const auto response = runTask(m_session->post(post, R"({"a":1})"));
        QVERIFY(response && response->isSuccess());
        QCOMPARE(m_server->requests().first().method, QByteArray("POST"));
        QCOMPARE(m_server->requests().first().body, QByteArray(R"({"a":1})"));
    }

    // Transport failures have fixed texts: Qt's own error strings embed the URL, and with it any key in the
    // query.
    void transportFailuresHaveFixedTextsWithoutTheURL_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("stall") << "stall"
                               << "The request timed out.";
        QTest::newRow("dropped mid-body") << "drop"
                                          << "The network connection was lost.";
        QTest::newRow("refused") << "refused"
                                 << "Could not connect to the server.";
    }
    void transportFailuresHaveFixedTextsWithoutTheURL() {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        CannedResponse answer = CannedResponse::json(QByteArray(4000, 'x'));
        answer.dropAfterBodyBytes = 100;
        m_server->route("/data", kind == "stall" ? CannedResponse::stalled() : answer);
        QUrl url = m_server->url("/data?appid=SECRET-KEY");
        if (kind == "refused") {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            url.setPort(closed.serverPort());
            closed.close();
        }
        QElapsedTimer elapsed;
        elapsed.start();
        const auto response = runTask(m_session->get(QNetworkRequest(url), {}, 300ms));
        QVERIFY(response);
        QCOMPARE(response->transportError, text);
        QVERIFY(!response->cancelled);
        QVERIFY(!response->isSuccess());
        QVERIFY(elapsed.elapsed() < 5000);
    }

    void cancellationAbortsThePendingReply() {
        m_server->route("/slow", CannedResponse::stalled());
        auto cancel = makeCancellation();
        QTimer::singleShot(50, cancel.get(), &Cancellation::cancel);
        QElapsedTimer elapsed;
        elapsed.start();
        const auto response = runTask(m_session->get(request("/slow"), cancel));
        QVERIFY(response);
        QVERIFY(response->cancelled);
        QCOMPARE(response->transportError, QStringLiteral("cancelled"));
        QVERIFY(elapsed.elapsed() < 5000);
        QTRY_COMPARE(m_server->openConnections(), 0);
    }

    void anAlreadyCancelledTokenSendsNothing() {
        auto cancel = makeCancellation();
        cancel->cancel();
        const auto response = runTask(m_session->get(request("/never"), cancel));
        QVERIFY(response && response->cancelled);
        QTest::qWait(50);
        QVERIFY(m_server->requests().isEmpty());
    }

    void abortAllEndsEveryPendingReply() {
        m_server->route("/a", CannedResponse::stalled());
        m_server->route("/b", CannedResponse::json("{}").delayed(10s));
        auto first = m_session->get(request("/a"));
        auto second = m_session->get(request("/b"));
        QTRY_COMPARE(m_server->requests().size(), 2);
        m_session->abortAll();
        const auto a = runTask(std::move(first), 2s);
        const auto b = runTask(std::move(second), 2s);
        QVERIFY(a && a->cancelled);
        QVERIFY(b && b->cancelled);
    }

    // A group of sibling requests is stopped when one fails; a sibling whose own failure has been reported
    // but whose end is still on its way must not be reported a second time (Qt warns when a reply gets two
    // errors). Its failure is read as the stop asked for.
    void stoppingARequestThatFailedAlreadyReportsOneError() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("must only be called once")));
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        QUrl url = m_server->url("/data");
        url.setPort(closed.serverPort());
        closed.close();
        auto group = makeCancellation();
        auto sibling = m_session->get(QNetworkRequest(url), group);
        const auto replies = m_session->networkAccessManager()->findChildren<QNetworkReply*>();
        QCOMPARE(replies.size(), 1);
        // Stopped between the failure and the end, as when another request's end arrives in that gap.
        connect(replies.first(), &QNetworkReply::errorOccurred, group.get(), &Cancellation::cancel);
        const auto response = runTask(std::move(sibling), 5s);
        QVERIFY(response && response->cancelled);
    }

    // A session destroyed with replies in flight still ends their coroutines (no frame is left suspended).
    void destroyingTheSessionEndsPendingRequests() {
        m_server->route("/a", CannedResponse::stalled());
        auto pending = m_session->get(request("/a"));
        QTRY_COMPARE(m_server->requests().size(), 1);
        delete m_session;
        m_session = nullptr;
        QVERIFY(pending.isReady());
        const auto response = runTask(std::move(pending), 1s);
        QVERIFY(response && response->cancelled);
    }
};

QTEST_GUILESS_MAIN(HTTPSessionTest)
#include "tst_http_session.moc"

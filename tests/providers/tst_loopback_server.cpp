#include "HTTPSession.h"
#include "LoopbackHTTPServer.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QTest>

using namespace nimbra;
using namespace std::chrono_literals;
using nimbra::testing::runTask;

class LoopbackServerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordsEachRequestAsSent() {
        LoopbackHTTPServer server;
        QVERIFY(server.listen());
        server.route("/v4/weather/forecast", CannedResponse::json("{}"));
        HTTPSession session;
        QNetworkRequest request(
            server.url("/v4/weather/forecast?location=52.52,13.4&timesteps=1h&timesteps=1d&"
                       "name=S%C3%A3o%20Lu%C3%ADs"));
        request.setRawHeader("User-Agent", "Nimbra/0.1 test");
        QVERIFY(runTask(session.get(request)));

        QCOMPARE(server.requests().size(), 1);
        const RecordedRequest got = server.requests().first();
        QCOMPARE(got.method, QByteArray("GET"));
        QCOMPARE(got.path, QStringLiteral("/v4/weather/forecast"));
        QCOMPARE(got.query, (QList<QPair<QString, QString>>{{"location", "52.52,13.4"},
                                                            {"timesteps", "1h"},
                                                            {"timesteps", "1d"},
                                                            {"name", QStringLiteral("São Luís")}}));
        QCOMPARE(got.queryValues("timesteps"), (QStringList{"1h", "1d"}));
        QCOMPARE(got.queryValue("missing"), std::nullopt);
        QCOMPARE(got.header("user-agent"), QByteArray("Nimbra/0.1 test"));
    }

    void servesSequencesInTurnAndUnknownPathsAs404() {
        LoopbackHTTPServer server;
        QVERIFY(server.listen());
        server.routeSequence(
            "/data", {CannedResponse::json(R"({"message":"One Call"})", 401), CannedResponse::json("{}")});
        HTTPSession session;
        QList<int> statuses;
        for (const char* path : {"/data", "/data", "/data", "/other"})
            statuses.append(runTask(session.get(QNetworkRequest(server.url(path))))->statusCode);
        QCOMPARE(statuses, (QList<int>{401, 200, 200, 404}));
        QCOMPARE(server.requests("/data").size(), 3);
    }

    void delaysHoldTheAnswerBack() {
        LoopbackHTTPServer server;
        QVERIFY(server.listen());
        server.route("/late", CannedResponse::json("{}").delayed(150ms));
        HTTPSession session;
        QElapsedTimer elapsed;
        elapsed.start();
        const auto response = runTask(session.get(QNetworkRequest(server.url("/late"))));
        QVERIFY(response && response->isSuccess());
        QVERIFY(elapsed.elapsed() >= 140);
    }

    // Checked byte by byte so that a broken trailer cannot hide behind a lenient client.
    void gzipFramingIsStandard() {
        const QByteArray data("The quick brown fox jumps over the lazy dog");
        const QByteArray gz = LoopbackHTTPServer::gzipCompress(data);
        QCOMPARE(gz.left(3), QByteArray("\x1f\x8b\x08"));
        const auto le32 = [&](qsizetype at) {
            quint32 v = 0;
            for (int i = 3; i >= 0; --i)
                v = (v << 8) | static_cast<quint8>(gz[at + i]);
            return v;
        };
        QCOMPARE(le32(gz.size() - 8), 0x414FA339u); // CRC-32 of the sentence
        QCOMPARE(le32(gz.size() - 4), static_cast<quint32>(data.size()));
    }
};

QTEST_GUILESS_MAIN(LoopbackServerTest)
#include "tst_loopback_server.moc"

#include "Appcast.h"
#include "BuildInfo.h"
#include "HTTPSession.h"
#include "LoopbackHTTPServer.h"
#include "UpdateMessageBox.h"
#include "UpdaterController.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace nimbra;

Q_DECLARE_METATYPE(nimbra::UpdateCheckResult::Outcome)

namespace {

class RecordingPresenter final : public UpdatePresenter {
public:
    explicit RecordingPresenter(QList<UpdateMessage>* messages) : m_messages(messages) {}
    void present(const UpdateMessage& message, QWidget*) override { m_messages->append(message); }

private:
    QList<UpdateMessage>* m_messages;
};

QByteArray feed(const QByteArray& items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
           "<channel><title>Nimbra</title><link>https://nimbra.example.org/</link>" +
           items + "</channel></rss>";
}

QByteArray item(const QByteArray& shortVersion, const QByteArray& version,
                const QByteArray& link = "https://nimbra.example.org/download") {
    QByteArray out = "<item><title>Nimbra " + shortVersion + "</title>";
    if (!link.isEmpty())
        out += "<link>" + link + "</link>";
    if (!version.isEmpty())
        out += "<sparkle:version>" + version + "</sparkle:version>";
    if (!shortVersion.isEmpty())
        out += "<sparkle:shortVersionString>" + shortVersion + "</sparkle:shortVersionString>";
    out += "<enclosure url=\"https://nimbra.example.org/nimbra-" + shortVersion +
           ".tar.gz\" length=\"10\" type=\"application/octet-stream\"/></item>";
    return out;
}

} // namespace

class UpdaterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versions_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        QTest::newRow("numeric, not text") << "1.10"
                                           << "1.9" << 1;
        QTest::newRow("missing parts are zero") << "1.0"
                                                << "1.0.0" << 0;
        QTest::newRow("leading zeros") << "007"
                                       << "7" << 0;
        QTest::newRow("patch level") << "2.0"
                                     << "2.0.1" << -1;
        QTest::newRow("pre-release below release") << "2.0b1"
                                                   << "2.0" << -1;
        QTest::newRow("pre-releases in order") << "1.2-beta"
                                               << "1.2-alpha" << 1;
        QTest::newRow("numbered pre-releases by number") << "2.0b10"
                                                         << "2.0b9" << 1;
        QTest::newRow("numbered pre-release names by number") << "1.2-beta10"
                                                              << "1.2-beta2" << 1;
        QTest::newRow("release candidate above beta") << "2.0rc1"
                                                      << "2.0b12" << 1;
        QTest::newRow("unnumbered pre-release below its first number") << "2.0b"
                                                                       << "2.0b1" << -1;
        QTest::newRow("pre-release numbers with leading zeros") << "2.0b02"
                                                                << "2.0b2" << 0;
        QTest::newRow("more digits") << "10"
                                     << "9" << 1;
        QTest::newRow("beyond 64 bits") << "99999999999999999999999"
                                        << "99999999999999999999998" << 1;
        QTest::newRow("white space") << " 1.2 "
                                     << "1.2" << 0;
        QTest::newRow("equal") << "0.1.0"
                               << "0.1.0" << 0;
    }

    void versions() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        QCOMPARE(compareVersions(a, b), expected);
        QCOMPARE(compareVersions(b, a), -expected);
    }

    void parse() {
        const QByteArray document =
            feed("<item><title><![CDATA[Nimbra <2.0>]]></title>"
                 "<link> https://nimbra.example.org/releases/2.0 </link>"
                 "<sparkle:version>200</sparkle:version>"
                 "<sparkle:shortVersionString>2.0</sparkle:shortVersionString>"
                 "<description><p>Notes</p></description>"
                 "<enclosure url=\"https://nimbra.example.org/2.0.tar.gz\" sparkle:version=\"199\"/></item>"
                 // Versions on the enclosure only, as older feeds write them.
                 "<item><title>Nimbra 1.9</title>"
                 "<enclosure url=\"https://nimbra.example.org/1.9.tar.gz\" sparkle:version=\"190\" "
                 "sparkle:shortVersionString=\"1.9\"/></item>"
                 // No version at all: not a release.
                 "<item><title>News</title><link>https://nimbra.example.org/news</link></item>");
        const auto appcast = Appcast::parse(document);
        QVERIFY(appcast);
        QCOMPARE(appcast->items.size(), 2);
        const AppcastItem expected{.title = "Nimbra <2.0>",
                                   .version = "200",
                                   .shortVersionString = "2.0",
                                   .enclosureURL = QUrl("https://nimbra.example.org/2.0.tar.gz"),
                                   .link = QUrl("https://nimbra.example.org/releases/2.0")};
        QCOMPARE(appcast->items[0], expected);
        QCOMPARE(appcast->items[1].version, QStringLiteral("190"));
        QCOMPARE(appcast->items[1].shortVersionString, QStringLiteral("1.9"));
        QCOMPARE(appcast->items[1].downloadPage(), QUrl("https://nimbra.example.org/1.9.tar.gz"));
        QCOMPARE(appcast->newest(), expected);
        QCOMPARE(expected.displayVersion(), QStringLiteral("2.0 (200)"));
    }

    void unreadableFeeds_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not XML") << QByteArray("{\"version\": \"2.0\"}");
        QTest::newRow("not RSS") << QByteArray("<html><body>Moved</body></html>");
        QTest::newRow("cut short") << feed(item("2.0", "200")).chopped(20);
        QTest::newRow("broken after the items") << feed(item("2.0", "200")) + "<trailing";
    }

    void unreadableFeeds() {
        QFETCH(QByteArray, document);
        QCOMPARE(Appcast::parse(document), std::nullopt);
    }

    // The feed is not trusted to open anything but a web page.
    void downloadPage_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("enclosure");
        QTest::addColumn<QString>("expected");
        QTest::newRow("link") << "https://a.example/dl"
                              << "https://b.example/x.tar.gz"
                              << "https://a.example/dl";
        QTest::newRow("enclosure when no link") << ""
                                                << "https://b.example/x.tar.gz"
                                                << "https://b.example/x.tar.gz";
        QTest::newRow("script link") << "javascript:alert(1)"
                                     << "https://b.example/x"
                                     << "https://b.example/x";
        QTest::newRow("unencrypted page") << "http://a.example/dl"
                                          << "http://b.example/x.tar.gz"
                                          << "";
        QTest::newRow("local files") << "file:///usr/bin/xterm"
                                     << "file:///tmp/x.sh"
                                     << "";
        QTest::newRow("custom scheme") << "steam://run/1"
                                       << ""
                                       << "";
    }

    void downloadPage() {
        QFETCH(QString, link);
        QFETCH(QString, enclosure);
        QFETCH(QString, expected);
        AppcastItem release;
        release.version = QStringLiteral("2");
        release.enclosureURL = QUrl(enclosure);
        release.link = QUrl(link);
        QCOMPARE(release.downloadPage().toString(), expected);
    }

    void evaluate_data() {
        QTest::addColumn<QByteArray>("items");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("build");
        QTest::addColumn<UpdateCheckResult::Outcome>("outcome");
        QTest::addColumn<QString>("offered");
        using Outcome = UpdateCheckResult::Outcome;

        QTest::newRow("newer version") << item("0.2.0", "2") + item("0.1.0", "1") << "0.1.0"
                                       << "1" << Outcome::updateAvailable << "0.2.0 (2)";
        QTest::newRow("newest wherever it stands")
            << item("0.1.0", "1") + item("0.10.0", "10") + item("0.9.0", "9") << "0.1.0"
            << "1" << Outcome::updateAvailable << "0.10.0 (10)";
        QTest::newRow("same version, newer build") << item("0.1.0", "3") << "0.1.0"
                                                   << "1" << Outcome::updateAvailable << "0.1.0 (3)";
        QTest::newRow("same version and build") << item("0.1.0", "1") << "0.1.0"
                                                << "1" << Outcome::upToDate << "";
        QTest::newRow("older release") << item("0.0.9", "9") << "0.1.0"
                                       << "10" << Outcome::upToDate << "";
        QTest::newRow("build number only") << item("", "5") << "0.1.0"
                                           << "4" << Outcome::updateAvailable << "5";
        QTest::newRow("no releases") << QByteArray() << "0.1.0"
                                     << "1" << Outcome::failed << "";
    }

    void evaluate() {
        QFETCH(QByteArray, items);
        QFETCH(QString, version);
        QFETCH(QString, build);
        QFETCH(UpdateCheckResult::Outcome, outcome);
        QFETCH(QString, offered);
        const auto appcast = Appcast::parse(feed(items));
        QVERIFY(appcast);
        const UpdateCheckResult result = Updater::resultFrom(*appcast, version, build);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.release ? result.release->displayVersion() : QString(), offered);
    }

    void messages() {
        QCOMPARE(
            UpdaterController::noFeedMessage(),
            (UpdateMessage{"Updates are not available",
                           "This build has no update feed. Your package manager keeps Nimbra up to date.",
                           QUrl()}));

        AppcastItem release;
        release.version = QStringLiteral("2");
        release.shortVersionString = QStringLiteral("0.2.0");
        release.link = QUrl("https://x.example/");
        const UpdateCheckResult available{UpdateCheckResult::Outcome::updateAvailable, release, {}};
        QCOMPARE(
            UpdaterController::messageFor(available, "0.1.0", "1"),
            (UpdateMessage{"A new version of Nimbra is available",
                           "Nimbra 0.2.0 (2) is available; you have 0.1.0 (1). Install it with your package "
                           "manager or from the download page.",
                           QUrl("https://x.example/")}));
        const UpdateCheckResult current{UpdateCheckResult::Outcome::upToDate, std::nullopt, {}};
        QCOMPARE(UpdaterController::messageFor(current, "0.1.0", "1").informativeText,
                 QStringLiteral("Version 0.1.0 (1) is the newest version available."));
    }

    // Without a feed the updater does not exist, and a check only says so.
    void checkWithoutFeed() {
        QList<UpdateMessage> shown;
        UpdaterController controller(QUrl(), "0.1.0", "1", std::make_unique<RecordingPresenter>(&shown));
        QVERIFY(!controller.hasFeed());
        QCOMPARE(controller.updater(), nullptr);
        controller.checkForUpdates(nullptr);
        QCOMPARE(shown, QList<UpdateMessage>{UpdaterController::noFeedMessage()});

        if (BuildInfo::updateFeedURL().isEmpty())
            QVERIFY(!UpdaterController().hasFeed());
    }

    void checkAgainstFeed_data() {
        QTest::addColumn<CannedResponse>("answer");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("informative");
        QTest::addColumn<QUrl>("page");

        QTest::newRow("newer release")
            << CannedResponse::text(feed(item("0.2.0", "2") + item("0.1.0", "1")))
            << "A new version of Nimbra is available"
            << "Nimbra 0.2.0 (2) is available; you have 0.1.0 (1). Install it with your "
               "package manager or from the download page."
            << QUrl("https://nimbra.example.org/download");
        QTest::newRow("up to date") << CannedResponse::text(feed(item("0.1.0", "1")))
                                    << "Nimbra is up to date"
                                    << "Version 0.1.0 (1) is the newest version available." << QUrl();
        QTest::newRow("server error") << CannedResponse::text("oops", 503) << "Could not check for updates"
                                      << "The update feed answered with HTTP status 503." << QUrl();
        QTest::newRow("not a feed") << CannedResponse::text("<html>captive portal</html>")
                                    << "Could not check for updates"
                                    << "The update feed could not be read." << QUrl();
    }

    void checkAgainstFeed() {
        QFETCH(CannedResponse, answer);
        QFETCH(QString, text);
        QFETCH(QString, informative);
        QFETCH(QUrl, page);

        LoopbackHTTPServer server;
        QVERIFY(server.listen());
        server.route(QStringLiteral("/appcast.xml"), answer.delayed(std::chrono::milliseconds(50)));
        QList<UpdateMessage> shown;
        UpdaterController controller(server.url(QStringLiteral("/appcast.xml")), "0.1.0", "1",
                                     std::make_unique<RecordingPresenter>(&shown));
        QVERIFY(controller.hasFeed());
        QSignalSpy finished(&controller, &UpdaterController::checkFinished);

        controller.checkForUpdates(nullptr);
        QVERIFY(controller.isChecking());
        controller.checkForUpdates(nullptr); // dropped while the first runs
        QVERIFY(finished.wait(10'000));
        QVERIFY(!controller.isChecking());
        QCOMPARE(shown, (QList<UpdateMessage>{{text, informative, page}}));
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(server.requests().first().method, QByteArrayLiteral("GET"));
        QCOMPARE(server.requests().first().header("User-Agent"), QByteArrayLiteral("nimbra/0.1.0 (1)"));
    }

    void unreachableFeed() {
        QUrl gone;
        {
            LoopbackHTTPServer server;
            QVERIFY(server.listen());
            gone = server.url(QStringLiteral("/appcast.xml"));
        }
        QList<UpdateMessage> shown;
        UpdaterController controller(gone, "0.1.0", "1", std::make_unique<RecordingPresenter>(&shown));
        QSignalSpy finished(&controller, &UpdaterController::checkFinished);
        controller.checkForUpdates(nullptr);
        QVERIFY(finished.wait(10'000));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().text, QStringLiteral("Could not check for updates"));
        QVERIFY(shown.first().informativeText.startsWith("The update feed could not be reached."));
        QVERIFY(!shown.first().informativeText.contains(QString::number(gone.port())));
    }

    // A feed trickling in a byte at a time never trips the transfer time-out: the whole check is bounded, and
    // the next check starts as usual.
    void aTricklingFeedEndsTheCheckInTime() {
        LoopbackHTTPServer server;
        QVERIFY(server.listen());
        const QString path = QStringLiteral("/appcast.xml");
        const CannedResponse upToDate = CannedResponse::text(feed(item("0.1.0", "1")));
        server.routeSequence(path, {upToDate.trickled(std::chrono::milliseconds(20)), upToDate});
        QList<UpdateMessage> shown;
        UpdaterController controller(server.url(path), "0.1.0", "1",
                                     std::make_unique<RecordingPresenter>(&shown));
        controller.updater()->setTimeLimit(std::chrono::milliseconds(1500));
        QSignalSpy finished(&controller, &UpdaterController::checkFinished);

        controller.checkForUpdates(nullptr);
        QVERIFY(finished.wait(8'000));
        QVERIFY(!controller.isChecking());
        QCOMPARE(shown,
                 (QList<UpdateMessage>{{QStringLiteral("Could not check for updates"),
                                        QStringLiteral("The update feed did not answer within 2 seconds."),
                                        {}}}));

        controller.checkForUpdates(nullptr);
        QVERIFY(controller.isChecking());
        QVERIFY(finished.wait(8'000));
        QCOMPARE(server.requests(path).size(), 2);
        QCOMPARE(shown.constLast().text, QStringLiteral("Nimbra is up to date"));
    }

    // The controller may go while the feed is still on its way.
    void controllerGoneDuringCheck() {
        LoopbackHTTPServer server;
        QVERIFY(server.listen());
        server.route(QStringLiteral("/appcast.xml"), CannedResponse::stalled());
        QList<UpdateMessage> shown;
        auto controller =
            std::make_unique<UpdaterController>(server.url(QStringLiteral("/appcast.xml")), "0.1.0", "1",
                                                std::make_unique<RecordingPresenter>(&shown));
        controller->checkForUpdates(nullptr);
        QTRY_COMPARE(server.requests().size(), 1);
        controller.reset();
        QTest::qWait(50);
        QVERIFY(shown.isEmpty());
    }

    void messageBox() {
        UpdateMessageBox presenter;
        presenter.present(UpdaterController::noFeedMessage(), nullptr);
        QPointer<QMessageBox> box = presenter.openBox();
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->text(), QStringLiteral("Updates are not available"));
        QCOMPARE(box->informativeText(), UpdaterController::noFeedMessage().informativeText);
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        QCOMPARE(box->buttons().size(), 1);
        box->grab().save(QStringLiteral("updates_not_available_message.png"));

        // A second message replaces the first instead of stacking; feed texts are never markup.
        presenter.present({"A new version of Nimbra is available", "Nimbra <b>2</b> is available",
                           QUrl("https://nimbra.example.org/download")},
                          nullptr);
        QTRY_VERIFY(!box);
        box = presenter.openBox();
        QVERIFY(box && box->isVisible());
        QStringList buttons;
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        QVERIFY(buttons.contains(UpdateMessageBox::openPageButtonText()));
        for (QLabel* label : box->findChildren<QLabel*>()) {
            if (label->text().contains("<b>"))
                QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        // Kept in the build folder for a look.
        box->grab().save(QStringLiteral("update_available_message.png"));
        box->button(QMessageBox::Close)->click();
        QTRY_VERIFY(!presenter.openBox());

        // Over a window the box is modal to it; over a popup it stands alone.
        QWidget window;
        presenter.present(UpdaterController::noFeedMessage(), &window);
        QCOMPARE(presenter.openBox()->parentWidget(), &window);
        QCOMPARE(presenter.openBox()->windowModality(), Qt::WindowModal);
        QWidget popup(nullptr, Qt::Popup);
        presenter.present(UpdaterController::noFeedMessage(), &popup);
        QCOMPARE(presenter.openBox()->parentWidget(), nullptr);
        QCOMPARE(presenter.openBox()->windowModality(), Qt::ApplicationModal);
    }
};

QTEST_MAIN(UpdaterTest)
#include "tst_updater.moc"

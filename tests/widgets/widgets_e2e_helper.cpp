// nimbra-widgets-e2e-helper: the widget steps' hands inside the end-to-end session.
//
//   nimbra-widgets-e2e-helper serve TRIGGER
//       Serves the recorded Open-Meteo and MET Norway answers on a loopback port, which it prints first.
//       Until the file TRIGGER exists every request gets 404, so the application's refreshes fail and the
//       snapshot's forecast stays; from then on a refresh succeeds with a forecast unlike the snapshot's.
#include "LoopbackHTTPServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

using namespace nimbra;

namespace {

QByteArray recorded(const QString& name) {
    QFile file(QStringLiteral(NIMBRA_TEST_DATA "/providers/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2 || args[0] != QStringLiteral("serve")) {
        std::fputs("usage: nimbra-widgets-e2e-helper serve TRIGGER\n", stderr);
        return 2;
    }
    const QByteArray openMeteo = recorded(QStringLiteral("open-meteo/forecast-new-york.json"));
    const QByteArray metNorway = recorded(QStringLiteral("met-norway/compact-oslo.json"));
    if (openMeteo.isEmpty() || metNorway.isEmpty()) {
        std::fputs("the recorded provider answers are missing\n", stderr);
        return 1;
    }
    LoopbackHTTPServer server;
    if (!server.listen())
        return 1;
    std::printf("%d\n", server.port());
    std::fflush(stdout);

    const QString trigger = args[1];
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!QFileInfo::exists(trigger))
            return;
        poll.stop();
        server.route(QStringLiteral("/v1/forecast"), CannedResponse::json(openMeteo));
        server.route(QStringLiteral("/weatherapi/locationforecast/2.0/compact"),
                     CannedResponse::json(metNorway));
    });
    poll.start(100);
    return app.exec();
}

// Writes snapshots to the file named by its argument in a loop until it is killed (or a minute has passed).
// Prints "ready" after the first complete write, so the crash test knows the file exists before it starts
// killing.
#include "StoreTestData.h"
#include "WeatherCache.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <chrono>
#include <csignal>
#include <cstdio>

#include <sys/prctl.h>

int main(int argc, char** argv) {
    // A test that dies before killing the writer takes it along; the deadline ends it should the test have
    // died before the signal was asked for. The test kills it within seconds.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.info=false"));
    if (argc < 2)
        return 2;
    const nimbra::WeatherCache cache(QString::fromLocal8Bit(argv[1]));
    nimbra::CachedWeatherPayload payload = nimbra::storetest::payloadWith(20, 5, 48);
    for (int i = 0; std::chrono::steady_clock::now() < deadline; ++i) {
        payload.settings.refreshIntervalMinutes = 15 + i % 1000;
        if (const auto error = cache.save(payload)) {
            std::fprintf(stderr, "%s\n", qPrintable(error->description));
            return 1;
        }
        if (i == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
    std::fputs("Not killed within a minute.\n", stderr);
    return 3;
}

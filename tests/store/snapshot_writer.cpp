// Writes snapshots to the file named by its argument in a loop until it is killed. Prints "ready" after the
// first complete write, so the crash test knows the file exists before it starts killing.
#include "StoreTestData.h"
#include "WeatherCache.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.info=false"));
    if (argc < 2)
        return 2;
    const nimbra::WeatherCache cache(QString::fromLocal8Bit(argv[1]));
    nimbra::CachedWeatherPayload payload = nimbra::storetest::payloadWith(20, 5, 48);
    for (int i = 0;; ++i) {
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
}

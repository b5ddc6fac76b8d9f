// Deletes the saved places of a store over the snapshot and mirror files named by its arguments, one at a
// time, until none is left or it is killed. Prints "ready" once the store stands, then the id of each place
// whose deletion returned (and so is on disk), so the crash test knows which deletions must survive.
#include "InMemoryKeychain.h"
#include "UUIDText.h"
#include "UserDefaults.h"
#include "WeatherStore.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>

namespace {

class NoCurrentLocation final : public nimbra::CurrentLocationService {
public:
    QCoro::Task<nimbra::CurrentLocationResult> resolveCurrentLocation(QUuid) override {
        co_return nimbra::CurrentLocationResult{std::nullopt, QStringLiteral("Off.")};
    }
};

} // namespace

int main(int argc, char** argv) {
    using namespace nimbra;
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.info=false"));
    if (argc < 3)
        return 2;
    const WeatherStoreEnvironment environment(Clock::system(), std::make_shared<WidgetCenterRecorder>(),
                                              std::chrono::hours(1));
    WeatherStore store(std::make_shared<WeatherCache>(QString::fromLocal8Bit(argv[1])),
                       std::make_shared<LocationSyncStore>(
                           std::make_shared<UbiquitousKeyValueStoreFile>(QString::fromLocal8Bit(argv[2]))),
                       std::make_shared<NoCurrentLocation>(),
                       std::make_shared<WeatherProviderCredentialStore>(
                           std::make_shared<InMemoryUserDefaults>(), std::make_shared<InMemoryKeychain>()),
                       environment);
    std::puts("ready");
    std::fflush(stdout);
    while (!store.savedLocations().isEmpty()) {
        const QUuid id = store.savedLocations().constFirst().id;
        store.deleteSavedLocations({0});
        store.flushSaves();
        std::printf("%s\n", qPrintable(uuidText(id)));
        std::fflush(stdout);
    }
    return 0;
}

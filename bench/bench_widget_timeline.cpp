// The widgets' cost over the large snapshot (LargeSnapshot.h): building a whole timeline from the file, and
// rendering one entry of each widget kind offscreen. The timeline is compared with loading the snapshot
// alone.
#include "BenchSupport.h"
#include "LargeSnapshot.h"
#include "WeatherCache.h"
#include "WeatherWidgetProvider.h"
#include "WeatherWidgetViews.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace nimbra;

namespace {

// The provider's first hourly entry lies an hour after this, so the timeline holds all 13 entries.
const QDateTime kNow = benchdata::kStart.addSecs(-1800);

QString snapshotPath() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(WeatherCache::fileName);
        if (WeatherCache(file).save(benchdata::largeSnapshot()))
            std::fputs("could not write the snapshot\n", stderr);
        return file;
    }();
    return path;
}

PayloadLoader loader() {
    const QString path = snapshotPath();
    return [path] { return WeatherCache(path).load(); };
}

void BM_SnapshotLoad(benchmark::State& state) {
    const WeatherCache cache(snapshotPath());
    for (auto _ : state) {
        auto payload = cache.load();
        benchmark::DoNotOptimize(payload);
    }
}

void BM_WidgetTimeline(benchmark::State& state) {
    const PayloadLoader load = loader();
    qsizetype entries = 0;
    for (auto _ : state) {
        auto timeline = WeatherWidgetProvider::timeline(load, kNow);
        entries = timeline.entries.size();
        benchmark::DoNotOptimize(timeline);
    }
    state.counters["entries"] = double(entries);
}

// What a reload leaves on the host's GUI thread: the three kinds' timelines cut from the snapshot the feed
// decoded on its worker. Before the feed each kind read and decoded the file there itself (three times
// BM_WidgetTimeline).
void BM_WidgetReloadOnGuiThread(benchmark::State& state) {
    const CachedWeatherPayload payload = WeatherCache(snapshotPath()).load();
    const PayloadLoader fromMemory = [&payload] { return payload; };
    for (auto _ : state) {
        for (int kind = 0; kind < 3; ++kind) {
            auto timeline = WeatherWidgetProvider::timeline(fromMemory, kNow);
            benchmark::DoNotOptimize(timeline);
        }
    }
}

// One entry well into the timeline, drawn as each kind in its largest size.
void BM_WidgetRender(benchmark::State& state) {
    const auto timeline = WeatherWidgetProvider::timeline(loader(), kNow);
    const WeatherWidgetEntry& entry = timeline.entries.at(timeline.entries.size() / 2);
    const int kind = int(state.range(0));
    for (auto _ : state) {
        std::unique_ptr<QWidget> view;
        if (kind == 0)
            view = std::make_unique<CurrentWeatherWidgetView>(entry, WidgetFamily::systemLarge, kNow,
                                                              LocalCalendar::system());
        else if (kind == 1)
            view = std::make_unique<HourlyWeatherWidgetView>(entry, WidgetFamily::systemLarge,
                                                             LocalCalendar::system());
        else
            view = std::make_unique<TenDayWeatherWidgetView>(entry, WidgetFamily::systemLarge, kNow,
                                                             LocalCalendar::system());
        QPixmap pixmap = view->grab();
        benchmark::DoNotOptimize(pixmap);
    }
    state.SetLabel(kind == 0 ? "current" : kind == 1 ? "hourly" : "ten-day");
}

} // namespace

BENCHMARK(BM_SnapshotLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidgetTimeline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidgetReloadOnGuiThread)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidgetRender)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::runBenchmarks(argc, argv);

    // The goal: a whole timeline costs at most 1.2 times loading the snapshot it is cut from.
    const WeatherCache cache(snapshotPath());
    const PayloadLoader load = loader();
    const double loadTime = bench::medianMilliseconds([&] { benchmark::DoNotOptimize(cache.load()); });
    const double timelineTime = bench::medianMilliseconds(
        [&] { benchmark::DoNotOptimize(WeatherWidgetProvider::timeline(load, kNow)); });
    std::printf("snapshot load %.1f ms, whole timeline %.1f ms, ratio %.2f (goal <= 1.2)\n", loadTime,
                timelineTime, timelineTime / loadTime);
    return 0;
}

// The timeline provider against real snapshot files written by the store's writer into a temporary folder:
// which forecast it picks, which entries it cuts, which sample each entry shows and when it reloads.

#include "WidgetTestData.h"

#include <QFile>

#include <limits>

using namespace nimbra;
using namespace nimbra::widgettest;

using Offsets = QList<qint64>;
Q_DECLARE_METATYPE(nimbra::CachedWeatherPayload)

namespace {

QDateTime at(qint64 offset) {
    return fixedNow().addSecs(offset);
}

// A payload whose only forecast belongs to the first current location.
CachedWeatherPayload payloadWith(const ConsensusForecast& forecast) {
    CachedWeatherPayload payload;
    WeatherLocation location = forecast.location;
    location.isCurrentLocation = true;
    payload.locations = {location};
    payload.forecasts.insert(location.id, forecast);
    return payload;
}

// The location number of a chosen forecast (0 for none), as the tables name them.
int numberOf(const std::optional<ConsensusForecast>& forecast) {
    if (!forecast)
        return 0;
    for (int n = 1; n < 10; ++n)
        if (forecast->location.id == idFor(n))
            return n;
    return -1;
}

ConsensusForecast forecastFor(int number, qint64 generatedOffset) {
    ConsensusForecast f = forecastWithHours({3600}, fixedNow(), number);
    f.generatedAt = at(generatedOffset);
    return f;
}

} // namespace

class WidgetProviderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entriesFollowTheHourlyDates_data() {
        QTest::addColumn<Offsets>("hourly");
        QTest::addColumn<Offsets>("expected");
        Offsets descending;
        for (int h = 12; h >= 1; --h)
            descending.append(h * 3600);
        descending.append(1800);
        Offsets day;
        for (int h = 1; h <= 24; ++h)
            day.append(h * 3600);

        QTest::newRow("now + 60 s is too near, now + 12 h is still in")
            << Offsets{60, 61, 43200, 43201} << Offsets{0, 61, 43200};
        QTest::newRow("24 hours give now and the first 12") << day << Offsets{0} + day.mid(0, 12);
        QTest::newRow("the first 12 in list order, before sorting")
            << descending
            << Offsets{0, 3600, 7200, 10800, 14400, 18000, 21600, 25200, 28800, 32400, 36000, 39600, 43200};
        QTest::newRow("20 s apart: the earlier only") << Offsets{3620, 3600} << Offsets{0, 3600};
        QTest::newRow("exactly 30 s apart: the earlier only") << Offsets{3600, 3630} << Offsets{0, 3600};
        QTest::newRow("31 s apart: both") << Offsets{3600, 3631} << Offsets{0, 3600, 3631};
        QTest::newRow("only past hours: now alone") << Offsets{-7200, -3600} << Offsets{0};
        QTest::newRow("no hours: now alone") << Offsets{} << Offsets{0};
    }

    void entriesFollowTheHourlyDates() {
        QFETCH(Offsets, hourly);
        QFETCH(Offsets, expected);
        SnapshotFile file;
        file.write(payloadWith(forecastWithHours(hourly)));

        const auto timeline = WeatherWidgetProvider::timeline(file.loader(), fixedNow());
        Offsets dates;
        for (const WeatherWidgetEntry& entry : timeline.entries) {
            dates.append(fixedNow().secsTo(entry.date));
            QVERIFY(entry.forecast);
            // Each hourly sample carries its offset as its temperature; the entry at now keeps the forecast's
            // own current (-1).
            const double shown = entry.forecast->current->temperatureC;
            QCOMPARE(shown, entry.date == fixedNow() ? -1.0 : double(fixedNow().secsTo(entry.date)));
        }
        QCOMPARE(dates, expected);
    }

    void entriesShowTheNearestSample_data() {
        QTest::addColumn<Offsets>("hourly");
        QTest::addColumn<qint64>("entryOffset");
        QTest::addColumn<double>("expectedTemperature"); // -1: the forecast's own current stays

        QTest::newRow("45 min between two: the first in the list") << Offsets{3600, 9000} << 6300LL << 3600.0;
        QTest::newRow("tie in reverse order: still the first listed")
            << Offsets{9000, 3600} << 6300LL << 9000.0;
        QTest::newRow("exactly 2,700 s away counts") << Offsets{3600} << 6300LL << 3600.0;
        QTest::newRow("2,701 s away does not") << Offsets{3600} << 6301LL << -1.0;
        QTest::newRow("strictly nearer replaces") << Offsets{3600, 6000} << 5000LL << 6000.0;
        QTest::newRow("within 60 s of now: the own current") << Offsets{30} << 59LL << -1.0;
        QTest::newRow("60 s from now is matched") << Offsets{60} << 60LL << 60.0;
    }

    void entriesShowTheNearestSample() {
        QFETCH(Offsets, hourly);
        QFETCH(qint64, entryOffset);
        QFETCH(double, expectedTemperature);
        SnapshotFile file;
        file.write(payloadWith(forecastWithHours(hourly)));

        const auto forecast = WeatherWidgetProvider::preferredForecast(file.loader()());
        const auto shown = WeatherWidgetProvider::forecast(forecast, at(entryOffset), fixedNow());
        QVERIFY(shown && shown->current);
        QCOMPARE(shown->current->temperatureC, expectedTemperature);
        QCOMPARE(shown->hourly, forecast->hourly);
    }

    void reloadsAfterTheClampedInterval_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("expectedMinutes");
        QTest::newRow("5 -> 15") << 5 << 15;
        QTest::newRow("15") << 15 << 15;
        QTest::newRow("30") << 30 << 30;
        QTest::newRow("60") << 60 << 60;
        QTest::newRow("120 -> 60") << 120 << 60;
        QTest::newRow("negative -> 15") << -40 << 15;
        QTest::newRow("largest int -> 60") << std::numeric_limits<int>::max() << 60;
    }

    void reloadsAfterTheClampedInterval() {
        QFETCH(int, interval);
        QFETCH(int, expectedMinutes);
        CachedWeatherPayload payload = payloadWith(forecastWithHours({3600}));
        payload.settings.refreshIntervalMinutes = interval;
        SnapshotFile file;
        file.write(payload);

        const auto timeline = WeatherWidgetProvider::timeline(file.loader(), fixedNow());
        QCOMPARE(timeline.policy, TimelineReloadPolicy::after(at(expectedMinutes * 60)));
        QCOMPARE(timeline.entries.first().settings, payload.settings);
    }

    void picksThePreferredForecast_data() {
        QTest::addColumn<CachedWeatherPayload>("payload");
        QTest::addColumn<int>("expected");

        CachedWeatherPayload selected;
        selected.selectedForecast = forecastFor(1, -7200);
        selected.forecasts.insert(idFor(2), forecastFor(2, 0));
        QTest::newRow("the selected forecast beats a newer one") << selected << 1;

        CachedWeatherPayload menuBar;
        menuBar.settings.menuBarLocationID = idFor(2);
        menuBar.locations = {place(1, QStringLiteral("Here"), true), place(2, QStringLiteral("There"))};
        menuBar.forecasts.insert(idFor(1), forecastFor(1, 0));
        menuBar.forecasts.insert(idFor(2), forecastFor(2, -7200));
        QTest::newRow("the menu-bar location's") << menuBar << 2;

        CachedWeatherPayload fallsThrough = menuBar;
        fallsThrough.settings.menuBarLocationID = idFor(9);
        fallsThrough.forecasts[idFor(1)].generatedAt = at(-9000);
        QTest::newRow("a menu-bar location without forecast: the current location's") << fallsThrough << 1;

        CachedWeatherPayload secondCurrent;
        secondCurrent.locations = {place(1, QStringLiteral("First"), true),
                                   place(2, QStringLiteral("Second"), true),
                                   place(3, QStringLiteral("Other"))};
        secondCurrent.forecasts.insert(idFor(2), forecastFor(2, -7200));
        secondCurrent.forecasts.insert(idFor(3), forecastFor(3, -3600));
        QTest::newRow("only the first current location; then the newest") << secondCurrent << 3;

        CachedWeatherPayload newest;
        newest.locations = {place(1, QStringLiteral("A")), place(2, QStringLiteral("B")),
                            place(3, QStringLiteral("C"))};
        newest.forecasts.insert(idFor(1), forecastFor(1, -3600));
        newest.forecasts.insert(idFor(2), forecastFor(2, 0));
        newest.forecasts.insert(idFor(3), forecastFor(3, -60));
        QTest::newRow("no selection, menu bar or current location: the newest") << newest << 2;

        CachedWeatherPayload tie = newest;
        tie.forecasts[idFor(3)].generatedAt = at(0);
        QTest::newRow("equally new: the same choice every time") << tie << 2;

        QTest::newRow("no forecasts: none") << CachedWeatherPayload{} << 0;
    }

    void picksThePreferredForecast() {
        QFETCH(CachedWeatherPayload, payload);
        QFETCH(int, expected);
        SnapshotFile file;
        file.write(payload);
        const auto timeline = WeatherWidgetProvider::timeline(file.loader(), fixedNow());
        QCOMPARE(numberOf(timeline.entries.first().forecast), expected);
        if (expected == 0)
            QCOMPARE(timeline.entries.size(), 1);
    }

    void missingOrUnreadableSnapshotGivesOneEmptyEntry() {
        SnapshotFile file; // nothing written yet
        for (int round = 0; round < 2; ++round) {
            const auto timeline = WeatherWidgetProvider::timeline(file.loader(), fixedNow());
            QCOMPARE(timeline.entries.size(), 1);
            QCOMPARE(timeline.entries.first().date, fixedNow());
            QVERIFY(!timeline.entries.first().forecast);
            QCOMPARE(timeline.policy, TimelineReloadPolicy::after(at(30 * 60)));
            QFile broken(file.path());
            QVERIFY(broken.open(QIODevice::WriteOnly));
            broken.write("{ not a snapshot");
        }
    }

    void snapshotAndPlaceholderEntries() {
        ConsensusForecast forecast = forecastWithHours({40, 3600});
        SnapshotFile file;
        file.write(payloadWith(forecast));
        const WeatherWidgetEntry snapshot = WeatherWidgetProvider::snapshotEntry(file.loader(), fixedNow());
        QCOMPARE(snapshot.date, fixedNow());
        QCOMPARE(snapshot.forecast->current, forecast.current);

        forecast.current.reset();
        file.write(payloadWith(forecast));
        QVERIFY(!WeatherWidgetProvider::snapshotEntry(file.loader(), fixedNow()).forecast->current);
        QVERIFY(
            !WeatherWidgetProvider::timeline(file.loader(), fixedNow()).entries.first().forecast->current);

        const WeatherWidgetEntry placeholder =
            WeatherWidgetProvider::placeholderEntry(fixedNow(), utcCalendar());
        QCOMPARE(placeholder.date, fixedNow());
        QCOMPARE(placeholder.settings, WeatherSettings{});
        QVERIFY(placeholder.forecast && placeholder.forecast->current);
        QCOMPARE(placeholder.forecast->location.id, WeatherFixtures::home().id);
        QVERIFY(!placeholder.forecast->hourly.isEmpty());
    }

    // The host's calls read the clock once and answer exactly once, before they return.
    void providerCallsCompleteOnceWithOneReadingOfTheClock() {
        SnapshotFile file;
        file.write(payloadWith(forecastWithHours({61, 3600})));
        auto clock = std::make_shared<ManualClock>(fixedNow());
        const WeatherWidgetProvider provider(file.loader(), clock);

        int timelines = 0;
        provider.getTimeline({}, [&](const Timeline<WeatherWidgetEntry>& timeline) {
            ++timelines;
            QCOMPARE(timeline.entries.size(), 3);
            // 61 s ahead is past the near-now window, so it shows its own sample, not the current.
            QCOMPARE(timeline.entries[1].forecast->current->temperatureC, 61.0);
        });
        int snapshots = 0;
        provider.getSnapshot({WidgetFamily::systemLarge, true}, [&](const WeatherWidgetEntry& entry) {
            ++snapshots;
            QCOMPARE(entry.date, fixedNow());
        });
        QCOMPARE(timelines, 1);
        QCOMPARE(snapshots, 1);
        QCOMPARE(provider.placeholder({}).date, fixedNow());
    }
};

QTEST_MAIN(WidgetProviderTest)
#include "tst_widget_provider.moc"

// The dashboard is built at launch but stays hidden until the tray icon is clicked. Hidden, it must measure
// no text: every font face it loads stays in an application otherwise idle in the tray. Once shown it must
// look exactly like a dashboard that was on screen all along, however its data changed while it was hidden.
#include "../../store/StoreHarness.h"
#include "../../views/DashboardPreview.h"

#include "DailyListView.h"
#include "FitLabel.h"
#include "HorizontalScrollArea.h"
#include "HourlyStripView.h"
#include "MacDashboardView.h"
#include "ViewAnimations.h"
#include "WeatherHeroView.h"
#include "WrapLabel.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTest>

#include <functional>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

// Two saved places with a full forecast each; the first is selected. The current location cannot be found,
// so a resolution ends at once with an error the warning row shows.
struct Rig {
    StoreHarness harness;
    std::unique_ptr<WeatherStore> store;
    WeatherLocation oslo = place(1, QStringLiteral("Oslo"), 59.91, 10.75);
    WeatherLocation bergen =
        place(3, QStringLiteral("Bergen and the western fjords of Vestland"), 60.39, 5.32);

    // withSunTimes: each day's sunrise at six and sunset at six, so the hero names the next of them.
    explicit Rig(bool withSunTimes = false) {
        harness.location->answer = ScriptedCurrentLocationService::failed(CurrentLocationError::unavailable);
        CachedWeatherPayload payload;
        payload.locations = {currentPlace(2), oslo, bergen};
        payload.settings.menuBarLocationID = oslo.id;
        for (const auto& [location, alert] : {std::pair(oslo, false), std::pair(bergen, true)}) {
            ConsensusForecast f = preview::fixtureForecast(kNoon, harness.environment.calendar, alert);
            f.location = location;
            f.generatedAt = kNoon.addSecs(-300);
            for (qsizetype day = 0; withSunTimes && day < f.daily.size(); ++day) {
                f.daily[day].sunrise = kNoon.addDays(day).addSecs(-6 * 3600);
                f.daily[day].sunset = kNoon.addDays(day).addSecs(6 * 3600);
            }
            payload.forecasts.insert(location.id, f);
        }
        payload.selectedForecast = payload.forecasts.value(oslo.id);
        harness.save(payload);
        store = harness.makeStore();
    }

    std::unique_ptr<MacDashboardView> dashboard() const {
        auto view =
            std::make_unique<MacDashboardView>(*store, std::function<void()>{}, std::function<void(QSizeF)>{},
                                               harness.clock, harness.environment.calendar);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->resize(390, 1400);
        return view;
    }

    // Another place, other units and a failure to show: every section's text changes.
    void changeEverything() {
        store->select(bergen);
        store->updateSettings([](WeatherSettings& s) {
            s.temperatureUnit = TemperatureUnit::celsius;
            s.windSpeedUnit = WindSpeedUnit::kilometersPerHour;
        });
        QVERIFY(run(store->resolveCurrentLocation()));
        QVERIFY(store->lastError());
    }
};

// The font files mapped into this process: FreeType maps each face it opens, and fontconfig its caches of
// the system's font list when Qt first reads that list (about 1 MB that an idle application keeps).
QStringList mappedFontFiles() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("cannot read /proc/self/maps")};
    QStringList files;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QString path = QString::fromLocal8Bit(line.mid(line.indexOf('/')));
        if (line.contains('/') &&
            QRegularExpression(QStringLiteral("(\\.(otf|ttf|ttc|pfb|pfa|woff2?)|\\.cache-\\d+)$"),
                               QRegularExpression::CaseInsensitiveOption)
                .match(path)
                .hasMatch() &&
            !files.contains(path))
            files.append(path);
    }
    files.sort();
    return files;
}

QImage grab(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

void save(const QImage& image, const QString& name) {
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/dashboard-renders");
    QDir().mkpath(dir);
    QVERIFY(image.save(dir + u'/' + name + QStringLiteral(".png")));
}

// What a person reads in the dashboard: every line of text with the room it was given, the warning as cut,
// and the ten-day list's columns.
struct Shown {
    QStringList labels;
    QString warning;
    DailyColumnWidths columns;
    QImage image;
};

Shown shown(MacDashboardView& view) {
    Shown s;
    for (const FitLabel* label : view.findChildren<FitLabel*>())
        if (label->isVisible())
            s.labels.append(QStringLiteral("%1 @%2,%3 %4x%5 scale %6")
                                .arg(label->text())
                                .arg(label->mapTo(&view, QPoint()).x())
                                .arg(label->mapTo(&view, QPoint()).y())
                                .arg(label->width())
                                .arg(label->height())
                                .arg(label->currentScale()));
    // By place: which of two equal dashboards built its sections first does not show.
    s.labels.sort();
    s.warning = view.warningLabel()->text();
    if (auto* daily = view.findChild<DailyListView*>())
        s.columns = daily->columnWidths();
    s.image = grab(&view);
    return s;
}

void compareShown(const Shown& actual, const Shown& expected) {
    QCOMPARE(actual.labels, expected.labels);
    QCOMPARE(actual.warning, expected.warning);
    QCOMPARE(actual.columns, expected.columns);
    QCOMPARE(actual.image.size(), expected.image.size());
    QVERIFY(actual.image == expected.image);
}

} // namespace

class TestDashboardHiddenText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { animations::setEnabled(false); }

    // Runs first: nothing in this process has measured text before it.
    void hiddenDashboardLoadsNoFont() {
        const QStringList before = mappedFontFiles();
        Rig rig;
        auto view = rig.dashboard();
        preview::settle();
        rig.changeEverything();
        view->reload();
        preview::settle();
        QCOMPARE(mappedFontFiles(), before);
        QCOMPARE(view->warningLabel()->text(), *rig.store->lastError());

        view->show();
        preview::settle();
        QVERIFY2(mappedFontFiles().size() > before.size(), "showing the dashboard loads its fonts");
        QVERIFY(view->warningRow()->isVisible());
    }

    // A dashboard fed new data while hidden and then shown equals one that was on screen throughout, and
    // stays equal through a reload and a resize while shown.
    void shownAfterHiddenChangesEqualsBuiltOnScreen() {
        Rig onScreenRig;
        auto onScreen = onScreenRig.dashboard();
        onScreen->show();
        preview::settle();
        onScreenRig.changeEverything();
        preview::settle();

        Rig hiddenRig;
        auto hidden = hiddenRig.dashboard();
        preview::settle();
        hiddenRig.changeEverything();
        preview::settle();
        hidden->show();
        preview::settle();

        const Shown expected = shown(*onScreen);
        save(expected.image, QStringLiteral("built-on-screen"));
        const Shown actual = shown(*hidden);
        save(actual.image, QStringLiteral("built-hidden-then-shown"));
        compareShown(actual, expected);

        onScreen->reload();
        hidden->reload();
        preview::settle();
        compareShown(shown(*hidden), shown(*onScreen));

        for (const QSize size : {QSize(300, 900), QSize(460, 1200)}) {
            onScreen->resize(size);
            hidden->resize(size);
            preview::settle();
            const Shown resized = shown(*onScreen);
            save(resized.image, QStringLiteral("resized-%1").arg(size.width()));
            compareShown(shown(*hidden), resized);
        }

        // Hidden again, fed the first place back, shown again.
        hidden->hide();
        hiddenRig.store->select(hiddenRig.oslo);
        preview::settle();
        hidden->show();
        onScreenRig.store->select(onScreenRig.oslo);
        preview::settle();
        compareShown(shown(*hidden), shown(*onScreen));
    }

    // Updated in place while on screen, the dashboard equals one built afresh from the same store after each
    // change: other units (every figure changes, no row comes or goes: no section is built again), another
    // place with alerts and a failure, the first place again.
    void updatedInPlaceEqualsBuiltAfresh() {
        Rig rig;
        auto view = rig.dashboard();
        view->show();
        preview::settle();
        const QList<QWidget*> sections = view->sectionWidgets();
        const std::function<void()> changes[] = {
            [&rig] {
                rig.store->updateSettings([](WeatherSettings& s) {
                    s.temperatureUnit = TemperatureUnit::celsius;
                    s.windSpeedUnit = WindSpeedUnit::kilometersPerHour;
                });
            },
            [&rig] { rig.changeEverything(); },
            [&rig] { rig.store->select(rig.oslo); },
        };
        for (const auto& change : changes) {
            const bool first = &change == &changes[0];
            change();
            preview::settle();
            auto fresh = rig.dashboard();
            fresh->show();
            preview::settle();
            const Shown expected = shown(*fresh);
            const Shown actual = shown(*view);
            save(actual.image, QStringLiteral("updated-in-place"));
            compareShown(actual, expected);
            if (first)
                QVERIFY2(view->sectionWidgets() == sections, "no section built again");
        }
    }

    // Opened as the application opens it (brought up to date while hidden, then shown), scrolled, closed and
    // opened again a minute later and then after the next sunrise or sunset: each opening equals a dashboard
    // built on screen at that moment, the hourly row back at its start (set back while closed).
    void reopenedEqualsBuiltOnScreenThen() {
        Rig rig(true);
        auto view = rig.dashboard();
        preview::settle();
        const auto open = [&view] {
            view->prepareToShow();
            view->show();
            preview::settle();
        };
        const auto builtOnScreen = [](const QDateTime& now) {
            Rig other(true);
            other.harness.clock->set(now);
            auto dashboard = other.dashboard();
            dashboard->show();
            preview::settle();
            return shown(*dashboard);
        };
        // The hero on screen; the one it replaced may still wait for its deletion.
        const auto sunEvent = [&view] {
            for (const WeatherHeroView* hero : view->findChildren<WeatherHeroView*>())
                if (hero->isVisible())
                    return hero->model().metricItems.constLast().title;
            return QString();
        };
        open();
        compareShown(shown(*view), builtOnScreen(rig.harness.clock->now()));
        const QString firstSunEvent = sunEvent();

        for (const qint64 later : {qint64(60), qint64(12 * 3600)}) {
            auto* row = view->findChild<HourlyStripView*>()->findChild<HorizontalScrollArea*>();
            row->setScrollPosition(120);
            QCOMPARE(row->scrollPosition(), 120);
            view->hide();
            preview::settle();
            // Built for the next opening a moment after the closing, not in the turns right behind it (a
            // settings window opening over the dashboard closes it).
            QCOMPARE(row->scrollPosition(), 120);
            QTRY_COMPARE(row->scrollPosition(), 0);
            rig.harness.clock->advance(later);
            open();
            compareShown(shown(*view), builtOnScreen(rig.harness.clock->now()));
        }
        QVERIFY2(sunEvent() != firstSunEvent, "the hero's next sun event moved on while it was closed");
    }
};

QTEST_MAIN(TestDashboardHiddenText)
#include "tst_dashboard_hidden_text.moc"

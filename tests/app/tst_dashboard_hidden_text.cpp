// The dashboard is built at launch but stays hidden until the tray icon is clicked. Hidden, it must measure
// no text: every font face it loads stays in an application otherwise idle in the tray. Once shown it must
// look exactly like a dashboard that was on screen all along, however its data changed while it was hidden.
#include "../store/StoreHarness.h"
#include "../views/DashboardPreview.h"

#include "DailyListView.h"
#include "FitLabel.h"
#include "MacDashboardView.h"
#include "ViewAnimations.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTest>

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

    Rig() {
        harness.location->answer = ScriptedCurrentLocationService::failed(CurrentLocationError::unavailable);
        CachedWeatherPayload payload;
        payload.locations = {currentPlace(2), oslo, bergen};
        payload.settings.menuBarLocationID = oslo.id;
        for (const auto& [location, alert] : {std::pair(oslo, false), std::pair(bergen, true)}) {
            ConsensusForecast f = preview::fixtureForecast(kNoon, harness.environment.calendar, alert);
            f.location = location;
            f.generatedAt = kNoon.addSecs(-300);
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

// The font files mapped into this process: FreeType maps each face it opens.
QStringList mappedFontFiles() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("cannot read /proc/self/maps")};
    QStringList files;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QString path = QString::fromLocal8Bit(line.mid(line.indexOf('/')));
        if (line.contains('/') &&
            QRegularExpression(QStringLiteral("\\.(otf|ttf|ttc|pfb|pfa|woff2?)$"),
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
        QCOMPARE(view->warningLabel()->fullText(), *rig.store->lastError());

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
};

QTEST_MAIN(TestDashboardHiddenText)
#include "tst_dashboard_hidden_text.moc"

// The popover dashboard over a real store: its sections, busy indicator, footer (its relative time worked out
// only on screen) and warning row; and the application shell around it: Ctrl+, in the popover, the gear, the
// context menu and the popover's size.
#include "../../store/StoreHarness.h"

#include "AppDelegate.h"
#include "AppGlyphs.h"
#include "DailyListView.h"
#include "DashboardResizeHandle.h"
#include "MacDashboardView.h"
#include "PopoverSizing.h"
#include "PopoverWindow.h"
#include "RefreshScheduler.h"
#include "SectionFreshness.h"
#include "VantaSettingsRoot.h"
#include "VantaTelemetry.h"
#include "ViewAnimations.h"
#include "WrapLabel.h"

#include "KeychainWorker.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

#include <QSignalSpy>
#include <QTest>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

using Sections = QList<DashboardSection>;

// What the selected place holds: nothing, the stand-in of a place no refresh has brought weather for yet
// (made five seconds ago), or a forecast fetched five minutes ago.
enum class Held { nothing, standIn, forecast };

// A store whose selected place is a saved one with a forecast; the current location cannot be found, so
// every refresh ends at once.
struct DashboardRig {
    StoreHarness harness;
    std::unique_ptr<WeatherStore> store;

    explicit DashboardRig(Held held = Held::forecast, WeatherSettings settings = {}) {
        harness.location->answer = ScriptedCurrentLocationService::failed(CurrentLocationError::unavailable);
        CachedWeatherPayload payload;
        const WeatherLocation oslo = place(1, QStringLiteral("Oslo"), 59.91, 10.75);
        payload.locations = {currentPlace(2), oslo};
        settings.menuBarLocationID = oslo.id;
        payload.settings = settings;
        if (held != Held::nothing) {
            ConsensusForecast f;
            f.location = oslo;
            f.generatedAt = kNoon.addSecs(-5);
            if (held == Held::forecast) {
                f = consensusFor(oslo, 24);
                f.generatedAt = kNoon.addSecs(-300);
            }
            payload.forecasts.insert(oslo.id, f);
            payload.selectedForecast = f;
        }
        harness.save(payload);
        store = harness.makeStore();
    }
};

AppEnvironment testEnvironment(const StoreHarness& harness) {
    AppEnvironment environment;
    environment.defaults = std::make_shared<InMemoryUserDefaults>();
    environment.clock = harness.clock;
    environment.calendar = harness.environment.calendar;
    environment.useDesktop = false;
    environment.makeTelemetry = [defaults = environment.defaults](QObject* parent) {
        VantaTelemetry::Dependencies dependencies;
        dependencies.defaults = defaults;
        return new VantaTelemetry(dependencies, parent);
    };
    return environment;
}

} // namespace

class TestDashboard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A key read a launch refresh started is taken in before the next test, and before the application goes.
    void cleanup() { QTRY_COMPARE_WITH_TIMEOUT(KeychainWorker::answersOutstanding(), 0, 10000); }
    void initTestCase() { animations::setEnabled(false); }

    void sections_data() {
        QTest::addColumn<Held>("held");
        QTest::addColumn<bool>("trend");
        QTest::addColumn<bool>("hourly");
        QTest::addColumn<bool>("alerts");
        QTest::addColumn<Sections>("sections");
        QTest::addColumn<QString>("footer");
        using S = DashboardSection;
        const QString updated = QStringLiteral("Updated 5 min. ago");
        const QString notRefreshed = QStringLiteral("Not refreshed");
        const Sections all{S::hero, S::trendGraph, S::hourlyStrip, S::dailyList, S::alertList};
        QTest::newRow("no forecast, all on")
            << Held::nothing << true << true << true << Sections{S::hero} << notRefreshed;
        // Nothing fetched yet: the stand-in's making is no update.
        QTest::newRow("stand-in, all on") << Held::standIn << true << true << true << all << notRefreshed;
        QTest::newRow("all on") << Held::forecast << true << true << true << all << updated;
        QTest::newRow("all off") << Held::forecast << false << false << false
                                 << Sections{S::hero, S::dailyList} << updated;
        // The alert list comes last even with no alerts: it then says there are none.
        QTest::newRow("alerts only") << Held::forecast << false << false << true
                                     << Sections{S::hero, S::dailyList, S::alertList} << updated;
        QTest::newRow("hourly only") << Held::forecast << false << true << false
                                     << Sections{S::hero, S::hourlyStrip, S::dailyList} << updated;
    }
    void sections() {
        QFETCH(Held, held);
        WeatherSettings settings;
        QFETCH(bool, trend);
        QFETCH(bool, hourly);
        QFETCH(bool, alerts);
        settings.showTwelveHourTrendGraph = trend;
        settings.showHourlyForecastCards = hourly;
        settings.showAlerts = alerts;
        DashboardRig rig(held, settings);
        MacDashboardView view(*rig.store, {}, {}, rig.harness.clock, rig.harness.environment.calendar);
        QTEST(view.model().sections, "sections");
        QCOMPARE(view.sectionWidgets().size(), view.model().sections.size());
        view.show();
        QTEST(view.footerLabel()->text(), "footer");
    }

    void sectionsFollowTheStoreAndKeepTheirState() {
        DashboardRig rig;
        MacDashboardView view(*rig.store, {}, {}, rig.harness.clock, rig.harness.environment.calendar);
        const QList<QWidget*> sections = view.sectionWidgets();
        auto* daily = qobject_cast<DailyListView*>(sections.at(3));
        QVERIFY(daily);
        daily->toggle(daily->model().rows.first().date);
        rig.store->updateSettings([](WeatherSettings& s) { s.showTwelveHourTrendGraph = false; });
        QTRY_COMPARE(view.sectionWidgets().size(), 4);
        // The other sections are the same widgets (compared, not printed: replaced ones are gone); the
        // ten-day list's opened day is still open.
        const QList<QWidget*> kept = {sections[0], sections[2], sections[3], sections[4]};
        QVERIFY2(view.sectionWidgets() == kept, "sections updated in place");
        QCOMPARE(daily->expandedDays().size(), 1);
        // A setting none of them shows (the menu bar's font size) leaves every section as it is.
        rig.store->updateSettings([](WeatherSettings& s) { s.menuBarFontSize = 15; });
        QTest::qWait(20);
        QVERIFY2(view.sectionWidgets() == kept, "sections left as they are");
    }

    // Whether the sections are built again after these events (the same forecast and settings throughout):
    // a prepared showing builds nothing again, nor does a preparation that finds sections not yet shown and
    // their hero current; sections shown go stale once hidden, so they are built before the next showing.
    void sectionFreshness_data() {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<bool>("rebuild");
        const auto row = [](const char* name, const char* events, bool rebuild) {
            QTest::newRow(name) << QString::fromLatin1(events).split(u' ') << rebuild;
        };
        row("built hidden", "built", false);
        row("shown unprepared", "built shown", true);
        row("shown prepared", "built prepared shown", false);
        row("preparation lapsed", "built prepared lapsed shown", true);
        row("prepared, hero moved on", "built preparedHeroStale", true);
        row("prepared after a showing", "builtOnScreen prepared", true);
        row("hidden after a showing", "built prepared shown hidden", true);
        row("hidden unshown", "built hidden", false);
    }
    void sectionFreshness() {
        QFETCH(QStringList, events);
        const SectionFreshness::Source source{
            consensusFor(place(1, QStringLiteral("Oslo"), 59.91, 10.75), 24), {}};
        SectionFreshness freshness;
        const QHash<QString, std::function<void()>> apply{
            {QStringLiteral("built"), [&] { freshness.rebuilt(source, false); }},
            {QStringLiteral("builtOnScreen"), [&] { freshness.rebuilt(source, true); }},
            {QStringLiteral("prepared"), [&] { freshness.prepared([] { return true; }); }},
            {QStringLiteral("preparedHeroStale"), [&] { freshness.prepared([] { return false; }); }},
            {QStringLiteral("lapsed"), [&] { freshness.preparationLapsed(); }},
            {QStringLiteral("shown"), [&] { freshness.shown(); }},
            {QStringLiteral("hidden"), [&] { freshness.hidden(); }},
        };
        for (const QString& event : std::as_const(events)) {
            QVERIFY2(apply.contains(event), qPrintable(event));
            apply[event]();
        }
        QTEST(freshness.mustRebuild(source), "rebuild");
    }

    // The first opening from the tray is prepared over several turns and then shows as a direct showing
    // would: the same sections, laid out across the column. A second click meanwhile changes nothing, a
    // close cancels it; later openings show at once, and refresh a moment later.
    void firstOpeningFromTheTray() {
        DashboardRig rig;
        AppDelegate delegate(std::move(rig.store), testEnvironment(rig.harness));
        delegate.applicationDidFinishLaunching();
        // The launch refresh changes the store, and the sections with it.
        QTRY_VERIFY(delegate.dashboard() && !delegate.scheduler().isRunning());
        QTest::qWait(50);
        MacDashboardView* dashboard = delegate.dashboard();
        const QList<QWidget*> sections = dashboard->sectionWidgets();
        const auto addresses = [](const QList<QWidget*>& widgets) {
            QList<quintptr> out;
            for (const QWidget* w : widgets)
                out.append(quintptr(w));
            return out;
        };

        delegate.openFromStatusItem();
        QVERIFY(!delegate.isPopoverShown());
        delegate.closePopover();
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 1500 && !delegate.isPopoverShown())
            QTest::qWait(20);
        QVERIFY(!delegate.isPopoverShown());

        delegate.openFromStatusItem();
        delegate.openFromStatusItem();
        QTRY_VERIFY(delegate.isPopoverShown());
        QVERIFY(QTest::qWaitForWindowExposed(delegate.popover()));
        QCOMPARE(addresses(dashboard->sectionWidgets()), addresses(sections));
        const QRect column = dashboard->scrollArea()->widget()->layout()->contentsRect();
        for (QWidget* section : sections) {
            QVERIFY(section->isVisible());
            QCOMPARE(section->geometry().left(), column.left());
            QCOMPARE(section->width(), column.width());
        }

        delegate.closePopover();
        QTRY_VERIFY(!delegate.isPopoverShown());
        // The refresh an opening asks for starts once the showing is painted, not in its turn.
        QSignalSpy refreshed(&delegate.scheduler(), &RefreshScheduler::refreshFinished);
        delegate.openFromStatusItem();
        QVERIFY(delegate.isPopoverShown());
        QVERIFY(!delegate.scheduler().isRunning() && refreshed.isEmpty());
        QTRY_VERIFY(!refreshed.isEmpty());
    }

    // The column scrolls with a slim bar: no arrows, the handle from the top of the track down, and
    // dragging the handle scrolls the column.
    void slimScrollBar() {
        DashboardRig rig;
        MacDashboardView view(*rig.store, {}, {}, rig.harness.clock, rig.harness.environment.calendar);
        view.resize(390, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* scroll = view.findChild<QScrollArea*>();
        QVERIFY(scroll);
        QScrollBar* bar = scroll->verticalScrollBar();
        QTRY_VERIFY(bar->isVisible());
        QVERIFY2(bar->width() <= 10, qPrintable(QString::number(bar->width())));
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = Qt::Vertical;
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.pageStep = bar->pageStep();
        option.sliderPosition = option.sliderValue = bar->value();
        const auto part = [&](QStyle::SubControl control) {
            return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, control, bar);
        };
        QVERIFY(part(QStyle::SC_ScrollBarSubLine).height() <= 0);
        QVERIFY(part(QStyle::SC_ScrollBarAddLine).height() <= 0);
        const QRect handle = part(QStyle::SC_ScrollBarSlider);
        QVERIFY2(handle.top() <= 2 && handle.height() >= 24,
                 qPrintable(QStringLiteral("%1 %2").arg(handle.top()).arg(handle.height())));
        // Drawn where it is hit, and seen in light and dark palettes: between the window's colour and its
        // text's.
        for (const auto& [window, text] : {std::pair(QColor(236, 236, 236), QColor(Qt::black)),
                                           std::pair(QColor(30, 30, 30), QColor(Qt::white))}) {
            QPalette palette = bar->palette();
            palette.setColor(QPalette::Window, window);
            palette.setColor(QPalette::WindowText, text);
            bar->setPalette(palette);
            const QColor drawn = bar->grab().toImage().pixelColor(handle.center());
            QVERIFY2(std::abs(drawn.lightness() - window.lightness()) >= 40 &&
                         std::abs(drawn.lightness() - text.lightness()) >= 40,
                     qPrintable(drawn.name()));
        }
        QTest::mousePress(bar, Qt::LeftButton, {}, handle.center());
        QTest::mouseMove(bar, handle.center() + QPoint(0, 60));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, handle.center() + QPoint(0, 60));
        QVERIFY(bar->value() > 0);
        QCOMPARE(scroll->widget()->y(), -bar->value());
    }

    // The footer's relative time is worked out only on screen: hidden, it is left as it was and no timer
    // runs; shown, it is right before the first paint and moves on while the dashboard stays open.
    void footerTimeOnlyWhileShown() {
        DashboardRig rig;
        MacDashboardView view(*rig.store, {}, {}, rig.harness.clock, rig.harness.environment.calendar);
        const auto changeSettings = [&](bool trend) {
            rig.store->updateSettings([trend](WeatherSettings& s) { s.showTwelveHourTrendGraph = trend; });
            QTRY_COMPARE(view.sectionWidgets().size(), trend ? 5 : 4);
        };
        changeSettings(false);
        QCOMPARE(view.model().footerText, QString());
        QCOMPARE(view.footerLabel()->text(), QString());
        QVERIFY(!view.footerTimer()->isActive());

        view.show();
        QCOMPARE(view.footerLabel()->text(), QStringLiteral("Updated 5 min. ago"));
        QCOMPARE(view.model().footerText, view.footerLabel()->text());
        QVERIFY(view.footerTimer()->isActive());
        QVERIFY(view.footerTimer()->interval() <= 60'000);
        rig.harness.clock->advance(60);
        view.footerTimer()->setInterval(5);
        QTRY_COMPARE(view.footerLabel()->text(), QStringLiteral("Updated 6 min. ago"));

        view.hide();
        QVERIFY(!view.footerTimer()->isActive());
        rig.harness.clock->advance(600);
        changeSettings(true);
        QCOMPARE(view.footerLabel()->text(), QStringLiteral("Updated 6 min. ago"));
        view.show();
        QCOMPARE(view.footerLabel()->text(), QStringLiteral("Updated 16 min. ago"));
        // Shown, a store change brings the footer up to date as well.
        rig.harness.clock->advance(120);
        changeSettings(false);
        QCOMPARE(view.footerLabel()->text(), QStringLiteral("Updated 18 min. ago"));
    }

    void busyIndicatorAndWarningRow() {
        DashboardRig rig;
        MacDashboardView view(*rig.store, {}, {}, rig.harness.clock, rig.harness.environment.calendar);
        view.resize(390, 610);
        view.show();
        QVERIFY(!view.model().busy);
        QVERIFY(!view.refreshButton()->isBusy());
        QVERIFY(view.warningRow()->isHidden());

        // A resolution in flight already shows the spinner; the button still takes clicks.
        rig.harness.location->answer.reset();
        auto resolving = start(rig.store->resolveCurrentLocation());
        QTRY_VERIFY(view.refreshButton()->isBusy());
        QVERIFY(view.refreshButton()->isEnabled());
        QVERIFY(view.model().busy);

        // Its failure shows above the footer, whole.
        rig.harness.location->release(
            ScriptedCurrentLocationService::failed(CurrentLocationError::unavailable));
        QTRY_VERIFY(*resolving.done);
        QTRY_VERIFY(!view.refreshButton()->isBusy());
        const QString error = *rig.store->lastError();
        QTRY_VERIFY(!view.warningRow()->isHidden());
        QCOMPARE(view.warningLabel()->text(), error);

        // A multi-line message is one paragraph.
        DashboardInputs inputs;
        inputs.lastError = QStringLiteral("Could not save.\n<b>Disk</b> full");
        QCOMPARE(dashboardModel(inputs, kNoon).warning,
                 std::optional<QString>("Could not save. <b>Disk</b> full"));
        inputs.lastError = QStringLiteral("  \n ");
        QCOMPARE(dashboardModel(inputs, kNoon).warning, std::nullopt);
        inputs.lastError.reset();
        QCOMPARE(dashboardModel(inputs, kNoon).warning, std::nullopt);
    }

    void settingsFromThePopover() {
        DashboardRig rig;
        AppDelegate delegate(std::move(rig.store), testEnvironment(rig.harness));
        delegate.applicationDidFinishLaunching();
        QSignalSpy settings(&delegate, &AppDelegate::settingsRequested);
        PopoverWindow* popover = delegate.popover();

        // The menu: five entries, also after a second build, and the way to the dashboard that only a D-Bus
        // tray shows.
        const auto actions = delegate.contextMenu()->actions();
        QCOMPARE(actions.size(), 7);
        QCOMPARE(actions.at(0)->text(), QStringLiteral("Open Nimbra"));
        QVERIFY(!actions.at(0)->isVisible() && !actions.at(1)->isVisible());
        QCOMPARE(actions.at(3)->text(), QStringLiteral("Settings..."));
        QVERIFY(actions.at(5)->isSeparator());
        actions.at(3)->trigger();
        QCOMPARE(settings.count(), 1);
        // One settings window, closed by the user here, shown again on every later opening. Made in this
        // turn, it is laid out and shown in timer turns of their own: a timer due meanwhile runs first.
        VantaSettingsRoot* window = delegate.settingsWindow();
        QVERIFY(window);
        bool hiddenAtTimer = false;
        QTimer due;
        due.setSingleShot(true);
        connect(&due, &QTimer::timeout, window, [&] { hiddenAtTimer = !window->isVisible(); });
        due.start(0);
        QTRY_VERIFY(window->isVisible());
        QVERIFY(hiddenAtTimer);
        QCOMPARE(window->size(), VantaSettingsRoot::windowSize);
        window->close();
        // Each opening closes the popover a moment later, shown or not.
        QTest::qWait(AppDelegate::settingsPopoverCloseDelayMs * 3);

        delegate.togglePopover();
        QVERIFY(delegate.isPopoverShown());
        QVERIFY(QTest::qWaitForWindowExposed(popover));
        // Ctrl+, opens the settings and never reaches the focused control.
        auto* field = new QLineEdit(delegate.dashboard());
        field->show();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(settings.count(), 2);
        QCOMPARE(field->text(), QString());
        QCOMPARE(delegate.settingsWindow(), window);
        QVERIFY(window->isVisible());
        QTest::keyClick(field, Qt::Key_Comma);
        QCOMPARE(field->text(), QStringLiteral(","));
        QCOMPARE(settings.count(), 2);
        QTRY_VERIFY(!delegate.isPopoverShown());
    }

    // The notice that the snapshot could not be read outlives the launch refresh (which clears the last
    // error) and every refresh while the dashboard is closed; opened, it heads the warning row until the
    // user clicks it away (or a refresh succeeds).
    void startupNoticeStaysUntilSeen() {
        DashboardRig rig;
        {
            QFile file(rig.harness.file);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("{ not a snapshot");
        }
        rig.store = rig.harness.makeStore();
        QVERIFY(rig.store->startupNotice());
        const QString notice = rig.store->startupNotice()->simplified();
        AppDelegate delegate(std::move(rig.store), testEnvironment(rig.harness));
        QSignalSpy refreshed(&delegate.scheduler(), &RefreshScheduler::refreshFinished);
        delegate.applicationDidFinishLaunching();
        QTRY_COMPARE(refreshed.count(), 1);
        delegate.refreshNow();
        QTRY_COMPARE(refreshed.count(), 2);
        QCOMPARE(delegate.store().startupNotice()->simplified(), notice);

        delegate.togglePopover();
        QVERIFY(QTest::qWaitForWindowExposed(delegate.popover()));
        MacDashboardView* dashboard = delegate.dashboard();
        QTRY_VERIFY(dashboard->warningRow()->isVisible());
        QCOMPARE(dashboard->model().warning, std::optional<QString>(notice));
        QVERIFY(dashboard->model().warningIsNotice);
        // Whole, the place the file was kept in included, on as many lines as the width needs: at the
        // popover's usual width and at its narrowest.
        for (const int width : {PopoverSizing::defaultWidth, PopoverSizing::minimumWidth}) {
            delegate.popover()->resize(width, PopoverSizing::defaultHeight);
            QTRY_COMPARE(delegate.popover()->width(), width);
            QWidget* label = dashboard->warningLabel();
            QCOMPARE(dashboard->warningLabel()->text(), notice);
            QVERIFY(label->heightForWidth(label->width()) > label->minimumSizeHint().height());
            QTRY_VERIFY(label->height() >= label->heightForWidth(label->width()));
            const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/dashboard-renders");
            QDir().mkpath(dir);
            QVERIFY(dashboard->grab().save(dir + QStringLiteral("/startup-notice-%1.png").arg(width)));
        }
        // This refresh fails (no place has a fix): the notice stays.
        QTRY_VERIFY(!delegate.scheduler().isRunning());
        delegate.refreshNow();
        QTRY_VERIFY(!delegate.scheduler().isRunning());
        QTest::qWait(20);
        QVERIFY(delegate.store().startupNotice());
        QTest::mouseClick(dashboard->warningRow(), Qt::LeftButton);
        QCOMPARE(delegate.store().startupNotice(), std::nullopt);
        QTRY_VERIFY(!dashboard->model().warningIsNotice);
    }

    // The menu's three keys are shown in it and act in the dashboard and in the settings window, whatever
    // control has the focus.
    void menuKeysActInOurWindows() {
        DashboardRig rig;
        AppEnvironment environment = testEnvironment(rig.harness);
        int quits = 0;
        environment.quitApplication = [&quits] { ++quits; };
        AppDelegate delegate(std::move(rig.store), environment);
        delegate.applicationDidFinishLaunching();
        const auto actions = delegate.contextMenu()->actions();
        QCOMPARE(actions.at(2)->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
        QCOMPARE(actions.at(3)->shortcut(), QKeySequence(QStringLiteral("Ctrl+,")));
        QCOMPARE(actions.at(6)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QTRY_VERIFY(!delegate.scheduler().isRunning());
        QSignalSpy refreshed(&delegate.scheduler(), &RefreshScheduler::refreshFinished);
        QSignalSpy settings(&delegate, &AppDelegate::settingsRequested);

        delegate.togglePopover();
        QVERIFY(QTest::qWaitForWindowExposed(delegate.popover()));
        auto* field = new QLineEdit(delegate.dashboard());
        field->show();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_R, Qt::ControlModifier);
        QTRY_COMPARE(refreshed.count(), 1);
        QTest::keyClick(field, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(quits, 1);
        QCOMPARE(field->text(), QString());

        delegate.openSettings();
        QCOMPARE(settings.count(), 1);
        VantaSettingsRoot* window = delegate.settingsWindow();
        QTRY_VERIFY(window->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QWidget* focused = window->focusWidget() ? window->focusWidget() : window;
        QTest::keyClick(focused, Qt::Key_R, Qt::ControlModifier);
        QTRY_COMPARE(refreshed.count(), 2);
        QTest::keyClick(focused, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(settings.count(), 2);
        QTest::keyClick(focused, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(quits, 2);
    }

    // The gear asks for the settings and closes the popover shortly after.
    void settingsFromTheGear() {
        DashboardRig rig;
        AppDelegate delegate(std::move(rig.store), testEnvironment(rig.harness));
        delegate.applicationDidFinishLaunching();
        QSignalSpy settings(&delegate, &AppDelegate::settingsRequested);
        delegate.togglePopover();
        QVERIFY(QTest::qWaitForWindowExposed(delegate.popover()));
        delegate.dashboard()->settingsButton()->click();
        QCOMPARE(settings.count(), 1);
        QVERIFY(delegate.settingsWindow());
        QTRY_VERIFY(delegate.settingsWindow()->isVisible());
        QTRY_VERIFY(!delegate.isPopoverShown());
    }

    // A burst of store changes repaints the status item once, after the burst has been quiet a moment.
    void statusItemFollowsABurstOfChanges() {
        DashboardRig rig;
        AppDelegate delegate(std::move(rig.store), testEnvironment(rig.harness));
        delegate.applicationDidFinishLaunching();
        const QString fahrenheit = delegate.statusItemModel().iconText;
        WeatherSettings settings = delegate.store().settings();
        for (const auto unit :
             {TemperatureUnit::celsius, TemperatureUnit::fahrenheit, TemperatureUnit::celsius}) {
            settings.temperatureUnit = unit;
            delegate.store().setSettings(settings);
        }
        // Still the reading from before the burst: nothing is painted while the changes come.
        QCOMPARE(delegate.statusItemModel().iconText, fahrenheit);
        QTRY_VERIFY(delegate.statusItemModel().iconText != fahrenheit);
        QCOMPARE(delegate.statusItemModel(),
                 nimbra::statusItemModel(delegate.store().selectedForecast(), delegate.store().settings()));

        // A refresh that brings the selected place new weather, with the settings left as they are.
        rig.harness.server->route(QStringLiteral("/v1/forecast"),
                                  CannedResponse::json(testing::readFile(testing::testDataPath(
                                      QStringLiteral("providers/open-meteo/forecast-new-york.json")))));
        const QString before = delegate.statusItemModel().iconText;
        rig.harness.clock->advance(3600);
        QVERIFY(run(delegate.store().refreshSelected()));
        QVERIFY(nimbra::statusItemModel(delegate.store().selectedForecast(), delegate.store().settings())
                    .iconText != before);
        QTRY_COMPARE(delegate.statusItemModel(), nimbra::statusItemModel(delegate.store().selectedForecast(),
                                                                         delegate.store().settings()));
    }

    void resizingSavesTheSize() {
        DashboardRig rig;
        AppEnvironment environment = testEnvironment(rig.harness);
        auto defaults = std::static_pointer_cast<InMemoryUserDefaults>(environment.defaults);
        AppDelegate delegate(std::move(rig.store), environment);
        delegate.applicationDidFinishLaunching();
        QTRY_VERIFY(delegate.dashboard());
        // Built but closed: no relative time is worked out and nothing runs on a timer.
        QCOMPARE(delegate.dashboard()->footerLabel()->text(), QString());
        QVERIFY(!delegate.dashboard()->footerTimer()->isActive());
        DashboardResizeHandle* handle = delegate.dashboard()->resizeHandle();
        // Closed: a drag changes nothing.
        handle->pressAt({0, 0});
        handle->moveTo({30, 30});
        handle->release();
        QVERIFY(!defaults->contains("nimbraPopoverWidth"));

        delegate.togglePopover();
        QCOMPARE(delegate.dashboard()->footerLabel()->text(), QStringLiteral("Updated 5 min. ago"));
        QVERIFY(delegate.dashboard()->footerTimer()->isActive());
        const QSize before = delegate.popover()->size();
        handle->pressAt({0, 0});
        handle->moveTo({20.5, 0});
        handle->moveTo({40.5, 10});
        handle->release();
        const QSize after(before.width() + 41, before.height() + 10);
        QCOMPARE(delegate.popover()->size(), after);
        QCOMPARE(defaults->value("nimbraPopoverWidth").toDouble(), double(after.width()));
        QCOMPARE(defaults->value("nimbraPopoverHeight").toDouble(), double(after.height()));
        // Closed and opened again at the saved size.
        delegate.togglePopover();
        QVERIFY(!delegate.isPopoverShown());
        QVERIFY(!delegate.dashboard()->footerTimer()->isActive());
        delegate.togglePopover();
        QCOMPARE(delegate.popover()->size(), after);
    }
};

QTEST_MAIN(TestDashboard)
#include "tst_dashboard.moc"

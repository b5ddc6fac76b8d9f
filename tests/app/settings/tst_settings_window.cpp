// The settings window against a real store over in-memory layers: each tab's controls driven as a user
// would, the settings and keys they write and the persists they cause, and that showing the store's state
// writes nothing. Each tab is also rendered offscreen to settings-renders/ beside the test program, on a
// light desktop palette, and checked for cut-off text at the window's fixed size.

#include "APIKeyStatusBadge.h"
#include "AboutSettingsTab.h"
#include "DisplaySettingsTab.h"
#include "FileSizeLimit.h"
#include "FitLabel.h"
#include "LocationsSettingsTab.h"
#include "MacLocationRowView.h"
#include "SettingsControls.h"
#include "SettingsTestSupport.h"
#include "SourcesSettingsModel.h"
#include "SourcesSettingsTab.h"
#include "SymbolIcon.h"
#include "SymbolImage.h"
#include "VantaSettingsRoot.h"
#include "WrapLabel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cmath>

using namespace nimbra;
using namespace nimbra::settingstest;
using namespace nimbra::storetest;

namespace {

using K = WeatherProviderKind;

CachedWeatherPayload payloadWithPlaces() {
    CachedWeatherPayload payload;
    payload.locations = {
        currentPlace(1),
        place(2, QStringLiteral("Paris"), 48.8566, 2.3522, QStringLiteral("Île-de-France, France")),
        place(3, QStringLiteral("London"), 51.5072, -0.1276, QString())};
    payload.settings.menuBarLocationID = idFor(2);
    return payload;
}

// A window over the harness's store whose search and timers the test drives.
struct Window {
    SettingsHarness& h;
    FakeSearch search;
    QList<ManualSingleShotTimer*> timers; // the search's, then the key saver's
    bool updatesChecked = false;
    bool telemetry = true;
    QList<QUrl> opened;
    std::unique_ptr<VantaSettingsRoot> root;

    explicit Window(SettingsHarness& harness, bool withEndpoint = true, bool withLinks = false) : h(harness) {
        SettingsEnvironment environment;
        environment.search = search.function();
        environment.makeTimer = [this] {
            auto timer = std::make_unique<ManualSingleShotTimer>();
            timers.append(timer.get());
            return timer;
        };
        environment.about.version = QStringLiteral("0.1.0");
        environment.about.build = QStringLiteral("7");
        environment.about.hasTelemetryEndpoint = withEndpoint;
        if (withLinks) {
            environment.about.websiteURL = QUrl(QStringLiteral("https://example.org/"));
            environment.about.privacyURL = QUrl(QStringLiteral("https://example.org/privacy"));
        }
        environment.about.telemetryEnabled = telemetry;
        root = std::make_unique<VantaSettingsRoot>(h.store.get(), std::move(environment));
        QObject::connect(view(), &MacSettingsView::checkForUpdatesRequested,
                         [this] { updatesChecked = true; });
        QObject::connect(view(), &MacSettingsView::telemetryEnabledChanged,
                         [this](bool on) { telemetry = on; });
        QObject::connect(view(), &MacSettingsView::openURLRequested,
                         [this](const QUrl& url) { opened.append(url); });
    }
    MacSettingsView* view() const { return root->content(); }
    // Lets the window follow the store, as the event loop would.
    void settle() const {
        h.store->flushSaves();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
};

void click(QWidget* widget, QPoint at = {}) {
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, at.isNull() ? widget->rect().center() : at);
}

// Assigns settings as another part of the application would (no persist) and lets the window follow.
void changeFromElsewhere(Window& w, const std::function<void(WeatherSettings&)>& change) {
    WeatherSettings s = w.h.store->settings();
    change(s);
    w.h.store->setSettings(s);
    w.settle();
}

// Cut-off text anywhere under `root`: labels that elide or shrink below their scale, location rows, and
// buttons whose title does not fit.
QStringList clippedTexts(QWidget* root) {
    QStringList clipped;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(root))
            continue;
        if (auto* fit = qobject_cast<FitLabel*>(w); fit && fit->isTruncated())
            clipped << fit->text();
        if (auto* wrap = qobject_cast<WrapLabel*>(w)) {
            if (wrap->isTruncated() || wrap->height() < wrap->heightForWidth(wrap->width()))
                clipped << wrap->text();
        }
        if (auto* row = qobject_cast<MacLocationRowView*>(w); row && row->isTruncated())
            clipped << row->row().title;
        if (auto* button = qobject_cast<QPushButton*>(w); button && !button->text().isEmpty()) {
            if (button->width() < button->sizeHint().width())
                clipped << button->text();
        }
        if (w->minimumSizeHint().isValid() && !qobject_cast<QScrollBar*>(w) &&
            w->width() < qMin(w->minimumSizeHint().width(), w->maximumWidth()))
            clipped << QStringLiteral("%1 narrower than its minimum")
                           .arg(QString::fromLatin1(w->metaObject()->className()));
    }
    return clipped;
}

// WCAG contrast ratio of two opaque colours (1 to 21).
double contrastRatio(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double x = luminance(a) + 0.05, y = luminance(b) + 0.05;
    return std::max(x, y) / std::min(x, y);
}

// The average colour of an icon's ink laid over `background`; the background itself when nothing is drawn.
QColor inkOver(const QIcon& icon, const QColor& background) {
    const QImage image = icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
    double r = 0, g = 0, b = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const double alpha = qAlpha(p) / 255.0;
            if (alpha < 0.5)
                continue;
            r += qRed(p) * alpha + background.red() * (1 - alpha);
            g += qGreen(p) * alpha + background.green() * (1 - alpha);
            b += qBlue(p) * alpha + background.blue() * (1 - alpha);
            ++count;
        }
    }
    return count ? QColor(int(r / count), int(g / count), int(b / count)) : background;
}

// The store made again over a save that fails as `name` says: "mirror", the sync folder refuses the places;
// "set-aside", the file was unreadable, was set aside, and the disk is full.
void failLaunchSave(SettingsHarness& h, const QString& name) {
    if (name.endsWith(QLatin1String("mirror"))) {
        h.mirror = std::make_shared<UbiquitousKeyValueStoreInMemory>(1);
        h.store = h.makeStore();
    } else if (name.endsWith(QLatin1String("set-aside"))) {
        QFile unreadable(h.file);
        QVERIFY(unreadable.open(QIODevice::WriteOnly | QIODevice::Truncate) && unreadable.write("{ not") > 0);
        unreadable.close();
        const FileSizeLimit full(0);
        h.store = h.makeStore();
    }
}

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // A light desktop: the window must stay dark on it.
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    // Units, toggles, sizes and the interval: one write and one persist per user action; out-of-range
    // stored values are shown as stored and never written back.
    void displayTab() {
        SettingsHarness h(payloadWithPlaces());
        Window w(h);
        DisplaySettingsTab* tab = w.view()->displayTab();

        click(tab->temperatureUnit(), tab->temperatureUnit()->segmentRect(1).center());
        QCOMPARE(h.store->settings().temperatureUnit, TemperatureUnit::celsius);
        QCOMPARE(h.persists(), 1);
        click(tab->temperatureUnit(), tab->temperatureUnit()->segmentRect(1).center());
        QCOMPARE(h.persists(), 2); // the same choice again is still one write
        click(tab->windSpeedUnit(), tab->windSpeedUnit()->segmentRect(1).center());
        QCOMPARE(h.store->settings().windSpeedUnit, WindSpeedUnit::kilometersPerHour);
        click(tab->conditionToggle());
        click(tab->confidenceToggle());
        click(tab->graphToggle());
        click(tab->cardsToggle());
        click(tab->alertsToggle());
        const WeatherSettings& s = h.store->settings();
        QVERIFY(!s.showConditionInMenuBar && s.showConfidenceInMenuBar && !s.showTwelveHourTrendGraph &&
                !s.showHourlyForecastCards && !s.showAlerts);
        QCOMPARE(h.persists(), 8);

        // Values from elsewhere, some outside the controls' ranges, are shown and not written.
        changeFromElsewhere(w, [](WeatherSettings& s) {
            s.menuBarFontSize = 30;
            s.menuBarIconSize = 12.5;
            s.refreshIntervalMinutes = 20;
            s.temperatureUnit = TemperatureUnit::fahrenheit;
            s.showAlerts = true;
        });
        QCOMPARE(h.persists(), 8);
        QCOMPARE(h.store->settings().menuBarFontSize, 30.0);
        QCOMPARE(tab->fontSizeText()->text(), QStringLiteral("30 pt"));
        QCOMPARE(tab->fontSizeSlider()->value(), 16);
        QCOMPARE(tab->iconSizeText()->text(), QStringLiteral("13 pt"));
        QCOMPARE(tab->refreshLabel()->text(), QStringLiteral("Refresh every 20 minutes"));
        QCOMPARE(tab->temperatureUnit()->currentIndex(), 0);
        QVERIFY(tab->alertsToggle()->isChecked());

        // The panel sets the tray's sizes: both sliders are off, say why, and keep the stored values.
        QVERIFY(!tab->fontSizeSlider()->isEnabled());
        QVERIFY(!tab->iconSizeSlider()->isEnabled());
        QVERIFY(tab->sizeCaption()->isVisibleTo(tab));
        QCOMPARE(tab->sizeCaption()->text(), DisplaySettingsTab::sizeCaptionText);
        tab->fontSizeSlider()->setFocus();
        QTest::keyClick(tab->fontSizeSlider(), Qt::Key_Left);
        QTest::keyClick(tab->iconSizeSlider(), Qt::Key_End);
        QCOMPARE(h.store->settings().menuBarFontSize, 30.0);
        QCOMPARE(h.store->settings().menuBarIconSize, 12.5);
        QCOMPARE(h.persists(), 8);
        w.settle();
        QCOMPARE(tab->fontSizeText()->text(), QStringLiteral("30 pt"));

        click(tab->refreshStepper()->upButton());
        QCOMPARE(h.store->settings().refreshIntervalMinutes, 35);
        w.settle();
        click(tab->refreshStepper()->downButton());
        w.settle();
        click(tab->refreshStepper()->downButton());
        QCOMPARE(h.store->settings().refreshIntervalMinutes, 15);
        w.settle();
        QVERIFY(!tab->refreshStepper()->downButton()->isEnabled());
        QCOMPARE(h.persists(), 11);
    }

    // Rows follow the store in place; a saved place is chosen and deleted by the id its row shows when
    // clicked; a search result is added and the field cleared.
    void locationsTab() {
        SettingsHarness h(payloadWithPlaces());
        Window w(h);
        LocationsSettingsTab* tab = w.view()->locationsTab();
        QCOMPARE(tab->savedRows().size(), 2);
        QCOMPARE(tab->savedRows()[0]->row().subtitle, QStringLiteral("Île-de-France, France"));
        QVERIFY(tab->savedRows()[0]->row().isSelected);
        QCOMPARE(tab->savedRows()[1]->row().subtitle, QStringLiteral("51.51, -0.13"));
        QCOMPARE(tab->currentRow()->row().subtitle, QStringLiteral("Leeds, England"));
        QCOMPARE(tab->currentRow()->row().detail, std::optional(locationrows::resolvedDetail));
        QCOMPARE(h.persists(), 0);

        click(tab->savedRows()[1]);
        QCOMPARE(h.store->selectedLocation()->name, QStringLiteral("London"));
        w.settle();
        QVERIFY(tab->savedRows()[1]->row().isSelected && !tab->savedRows()[0]->row().isSelected);

        // Paris goes from elsewhere; before the window has caught up, the second row's button still
        // deletes the place that row shows (London), not whatever now stands second.
        h.store->deleteSavedLocations({0});
        QTest::mouseClick(tab->deleteButton(1), Qt::LeftButton);
        QVERIFY(h.store->savedLocations().isEmpty());
        w.settle();
        QVERIFY(tab->savedRows().isEmpty());

        // Search: only new places are listed; adding one selects it and clears the field.
        QTest::keyClicks(tab->searchField(), QStringLiteral("Le"));
        w.settle();
        QCOMPARE(tab->statusLineText(), QStringLiteral("Searching"));
        QVERIFY(tab->resultsSection()->isVisibleTo(tab) && !tab->savedSection()->isVisibleTo(tab));
        QVERIFY(w.timers[0]->fire());
        QCOMPARE(w.search.calls.size(), 1);
        QCOMPARE(w.search.calls[0]->query, QStringLiteral("Le"));
        w.search.answer(0, places({found(QStringLiteral("Leeds"), 53.8, -1.55, QStringLiteral("England")),
                                   found(QStringLiteral("<b>Lecce</b>"), 40.35, 18.17,
                                         QStringLiteral("Apulia, Italy"))}));
        w.settle();
        QCOMPARE(tab->resultRows().size(), 1);
        QCOMPARE(tab->resultRows()[0]->row().title, QStringLiteral("<b>Lecce</b>"));
        QCOMPARE(tab->statusLineText(), QString());
        const int before = h.persists();
        click(tab->resultRows()[0]);
        QCOMPARE(h.store->selectedLocation()->name, QStringLiteral("<b>Lecce</b>"));
        QVERIFY(h.persists() > before);
        w.settle();
        QVERIFY(tab->searchField()->text().isEmpty());
        QVERIFY(!tab->resultsSection()->isVisibleTo(tab) && tab->savedSection()->isVisibleTo(tab));
        QCOMPARE(tab->savedRows().size(), 1);
        QVERIFY(tab->savedRows()[0]->row().isSelected);

        // A failed search says why under the field.
        QTest::keyClicks(tab->searchField(), QStringLiteral("Zz"));
        w.timers[0]->fire();
        w.search.answer(1, failure(QStringLiteral("The network connection was lost.")));
        w.settle();
        QCOMPARE(tab->statusLineText(), QStringLiteral("The network connection was lost."));
    }

    // A hundred places: every row keeps its height (the current-location row its detail line) and the tab
    // scrolls.
    void manyPlacesScroll() {
        CachedWeatherPayload payload = payloadWithPlaces();
        for (int i = 10; i < 110; ++i)
            payload.locations.append(place(i, QStringLiteral("Place %1").arg(i), i % 80, i,
                                           QStringLiteral("Region %1, Country").arg(i)));
        SettingsHarness h(payload);
        Window w(h);
        w.root->show();
        w.view()->tabs()->setCurrentIndex(1);
        w.settle();
        QTest::qWait(20);

        LocationsSettingsTab* tab = w.view()->locationsTab();
        QCOMPARE(tab->savedRows().size(), 102);
        for (MacLocationRowView* row : tab->savedRows() + QList{tab->currentRow()})
            QVERIFY2(row->height() >= row->sizeHint().height(), qPrintable(row->row().title));
        QVERIFY(tab->currentRow()->row().detail);
        QVERIFY(tab->verticalScrollBar()->isVisible());
        QVERIFY(tab->verticalScrollBar()->maximum() > 0);
        const QStringList clipped = clippedTexts(tab->content());
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(" | "))));
    }

    // A current location still at its placeholder asks to be resolved when the window opens; while it
    // resolves, "Update" waits.
    void currentLocationOnOpening() {
        SettingsHarness h;
        Window w(h);
        LocationsSettingsTab* tab = w.view()->locationsTab();
        QCOMPARE(tab->currentRow()->row().subtitle, QStringLiteral("Location access needed"));
        QVERIFY(tab->currentRow()->row().isWarning);
        QCOMPARE(h.location->calls, 0);
        w.root->show();
        QCOMPARE(h.location->calls, 1);
        w.settle();
        QVERIFY(!tab->updateButton()->isEnabled());
        QCOMPARE(tab->currentRow()->row().detail, std::optional(h.store->currentLocationStatus()));
        h.location->release(ScriptedCurrentLocationService::failed(CurrentLocationError::unavailable));
        w.settle();
        QVERIFY(tab->updateButton()->isEnabled());
        QCOMPARE(tab->currentRow()->row().detail, std::optional(locationrows::needsResolutionDetail));
        w.root->hide();
        const QString statusBefore = h.store->currentLocationStatus();
        w.root->show();
        QCOMPARE(h.location->calls, 2);
        QVERIFY(h.store->isResolvingCurrentLocation());

        // Closing the window stops the resolution it started: nothing is reported, a late fix is dropped,
        // and the next opening starts a new one.
        w.root->hide();
        w.settle();
        QVERIFY(!h.store->isResolvingCurrentLocation());
        QCOMPARE(h.location->withdrawals, 1);
        QCOMPARE(h.store->currentLocationStatus(), statusBefore);
        QVERIFY(!h.store->lastError());
        h.location->release(ScriptedCurrentLocationService::found(QStringLiteral("Leeds"), 53.8, -1.55));
        w.settle();
        QVERIFY(h.store->currentLocationNeedsResolution());
        w.root->show();
        QCOMPARE(h.location->calls, 3);
        h.location->release(ScriptedCurrentLocationService::failed(CurrentLocationError::unavailable));
        w.settle();

        // Opening again brings a minimised window back.
        w.root->showMinimized();
        w.root->present();
        QVERIFY(w.root->isVisible() && !w.root->isMinimized());

        // A resolved one is left alone.
        SettingsHarness resolved(payloadWithPlaces());
        Window other(resolved);
        other.root->show();
        QCOMPARE(resolved.location->calls, 0);
    }

    // Provider switches write the set; key edits reach the store at once and the keyring after a pause.
    void sourcesTab() {
        SettingsHarness h(payloadWithPlaces());
        Window w(h);
        SourcesSettingsTab* tab = w.view()->sourcesTab();
        QCOMPARE(tab->findChildren<ToggleSwitch*>().size(), 5);
        // Apple Weather has no service here: its row says so, and its switch still works as stored.
        for (const K kind : sourcessettings::switchableProviders()) {
            const auto* note = tab->providerToggle(kind)->parentWidget()->findChild<FitLabel*>(
                QStringLiteral("providerNote"), Qt::FindDirectChildrenOnly);
            QCOMPARE(note != nullptr, kind == K::weatherKit);
            if (note)
                QCOMPARE(note->text(), QStringLiteral("Not available on Linux"));
        }
        QVERIFY(tab->providerToggle(K::weatherKit)->isChecked());
        QVERIFY(tab->providerToggle(K::openMeteo)->isChecked());
        click(tab->providerToggle(K::openMeteo));
        QVERIFY(!h.store->settings().enabledProviders.contains(K::openMeteo));
        QCOMPARE(h.persists(), 1);

        QLineEdit* field = tab->keyField(K::openWeather);
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QTest::keyClicks(field, QStringLiteral(" ow1 "));
        QCOMPARE(h.store->providerCredentials().openWeatherAPIKey, QStringLiteral("ow1"));
        QCOMPARE(field->text(), QStringLiteral(" ow1 ")); // the typing is left alone
        QCOMPARE(h.keychain->itemCount(), 0);
        w.settle();
        QCOMPARE(tab->keyBadge(K::openWeather)->status(), APIKeyCheckStatus::notChecked());
        QVERIFY(tab->checkButton(K::openWeather)->isEnabled());
        QVERIFY(!tab->keyDetail(K::openWeather)->isVisibleTo(tab));
        QVERIFY(w.timers[1]->fire());
        QTRY_COMPARE(h.credentials()->load().openWeatherAPIKey, QStringLiteral("ow1"));
        QCOMPARE(h.persists(), 1);
        Q_EMIT field->editingFinished();
        QCOMPARE(field->text(), QStringLiteral("ow1"));

        field->selectAll();
        QTest::keyClick(field, Qt::Key_Space);
        w.settle();
        QCOMPARE(tab->keyBadge(K::openWeather)->status(), APIKeyCheckStatus::missing());
        QCOMPARE(tab->keyDetail(K::openWeather)->text(), QStringLiteral("Enter an API key."));
        QVERIFY(!tab->checkButton(K::openWeather)->isEnabled());
        QVERIFY(tab->checkButton(K::tomorrowIO)->isEnabled() == false);

        // A key that changes elsewhere is shown; nothing is edited or saved for it.
        w.timers[1]->fire();
        QTRY_COMPARE(h.keychain->itemCount(), 0);
        const int items = h.keychain->itemCount();
        h.store->updateAPIKeyInMemory(QStringLiteral("tm-from-elsewhere"), K::tomorrowIO);
        w.settle();
        QCOMPARE(tab->keyField(K::tomorrowIO)->text(), QStringLiteral("tm-from-elsewhere"));
        QVERIFY(!w.timers[1]->isActive());
        QCOMPARE(h.keychain->itemCount(), items);

        // A key typed just before the window closes is saved at the close.
        QTest::keyClicks(tab->keyField(K::tomorrowIO), QStringLiteral("2"));
        w.root->show();
        w.root->close();
        QTRY_COMPARE(h.credentials()->load().tomorrowIOAPIKey, QStringLiteral("tm-from-elsewhere2"));
        QTRY_VERIFY(!h.store->isWaitingForKeyring());
    }

    // NIMBRA_PROVIDER_BASE_URL reaches the place search as well, so an offline run can add a place.
    void placeSearchGoesToTheProviderBaseAddress() {
        SettingsHarness h(payloadWithPlaces());
        h.server->route(QStringLiteral("/v1/search"),
                        CannedResponse::json(R"({"results": [{"id": 1, "name": "York", "latitude": 53.96,
                                                 "longitude": -1.08, "country": "United Kingdom"}]})"));
        qputenv("NIMBRA_PROVIDER_BASE_URL", h.server->baseURL().toString().toUtf8());
        const auto unset = qScopeGuard([] { qunsetenv("NIMBRA_PROVIDER_BASE_URL"); });
        QList<ManualSingleShotTimer*> timers;
        SettingsEnvironment environment;
        environment.makeTimer = [&timers] {
            auto timer = std::make_unique<ManualSingleShotTimer>();
            timers.append(timer.get());
            return timer;
        };
        VantaSettingsRoot root(h.store.get(), std::move(environment));
        LocationsSettingsTab* tab = root.content()->locationsTab();
        QTest::keyClicks(tab->searchField(), QStringLiteral("York"));
        QVERIFY(timers[0]->fire());
        QTRY_COMPARE(tab->resultRows().size(), 1);
        QCOMPARE(h.server->requests(QStringLiteral("/v1/search")).size(), 1);
        click(tab->resultRows()[0]);
        QCOMPARE(h.store->selectedLocation()->name, QStringLiteral("York"));
    }

    // A provider's message for a failed key check runs to 300 characters: it is shown whole, wrapped, and
    // the tab scrolls to it.
    void failedKeyCheckShowsTheWholeMessage() {
        SettingsHarness h(payloadWithPlaces());
        const QString reason = QStringLiteral("The key you entered was refused for this plan. ").repeated(6);
        h.server->route(QStringLiteral("/v4/weather/forecast"),
                        CannedResponse::json(
                            QJsonDocument(QJsonObject{{QStringLiteral("message"), reason}}).toJson(), 401));
        Window w(h);
        h.store->updateAPIKeyInMemory(QStringLiteral("tm1"), K::tomorrowIO);
        w.root->show();
        w.view()->tabs()->setCurrentIndex(2);
        w.settle();
        SourcesSettingsTab* tab = w.view()->sourcesTab();
        click(tab->checkButton(K::tomorrowIO));
        QTRY_COMPARE(h.store->apiKeyCheckStatus(K::tomorrowIO).kind, APIKeyCheckStatus::Kind::invalid);
        w.settle();
        WrapLabel* detail = tab->keyDetail(K::tomorrowIO);
        QVERIFY(detail->text().startsWith(QStringLiteral("Provider returned HTTP 401: The key you entered")));
        QVERIFY(detail->text().size() >= 290);
        QVERIFY(!detail->isTruncated());
        QVERIFY(detail->height() >= detail->heightForWidth(detail->width()));
        QVERIFY2(clippedTexts(tab->content()).isEmpty(), qPrintable(clippedTexts(tab->content()).join(u'|')));
        tab->ensureWidgetVisible(detail);
        const QRect shown(detail->mapTo(tab->viewport(), QPoint()), detail->size());
        QVERIFY(tab->viewport()->rect().contains(shown));
    }

    // Sync is a setting; statistics belong to the telemetry; updates and pages reach the application.
    void aboutTab() {
        SettingsHarness h(payloadWithPlaces());
        Window w(h, true, true);
        AboutSettingsTab* tab = w.view()->aboutTab();
        QVERIFY(tab->syncToggle()->isChecked() && tab->statisticsToggle()->isChecked());
        click(tab->syncToggle());
        QVERIFY(!h.store->settings().useICloudSync);
        QCOMPARE(h.persists(), 1);
        click(tab->statisticsToggle());
        QVERIFY(!w.telemetry);
        QCOMPARE(h.persists(), 1);
        click(tab->checkForUpdatesButton());
        QVERIFY(w.updatesChecked);
        click(tab->websiteButton());
        click(tab->privacyButton());
        QCOMPARE(w.opened.size(), 2);

        SettingsHarness bare;
        Window plain(bare, false, false);
        AboutSettingsTab* off = plain.view()->aboutTab();
        // Without an endpoint the switch shows off beside "sends no usage statistics"; the stored choice
        // is left as it is.
        QVERIFY(!off->statisticsToggle()->isEnabled());
        QVERIFY(!off->statisticsToggle()->isChecked());
        QVERIFY(plain.telemetry);
        QVERIFY(!off->supportSection()->isVisibleTo(off));
        QCOMPARE(aboutsettings::versionText(QString()), QStringLiteral("0.1.0"));
        QCOMPARE(aboutsettings::buildText(QString()), QStringLiteral("1"));
    }

    // A change the snapshot could not keep says so under the tabs until a later one is kept.
    void unsavedChangeIsShown() {
        SettingsHarness h(payloadWithPlaces());
        Window w(h);
        QVERIFY(w.view()->warningLine()->isHidden());
        h.blockSnapshotWrites();
        click(w.view()->displayTab()->alertsToggle());
        w.settle();
        QVERIFY(!w.view()->warningLine()->isHidden());
        QCOMPARE(w.view()->warningLine()->text(), *h.store->saveError());
        h.unblockSnapshotWrites();
        click(w.view()->displayTab()->alertsToggle());
        w.settle();
        QVERIFY(w.view()->warningLine()->isHidden());
    }

    void symbolsAreDrawn() {
        for (const char* name :
             {"menubar.rectangle", "location", "cloud.sun", "info.circle", "checkmark.circle.fill",
              "exclamationmark.triangle.fill", "questionmark.circle.fill", "key.slash.fill",
              "plus.circle.fill", "location.fill", "mappin.circle.fill", "trash",
              "arrow.triangle.2.circlepath", "safari", "lock.doc"}) {
            const QImage glyph = SymbolImage::image(QString::fromLatin1(name), 32, Qt::black)
                                     .convertToFormat(QImage::Format_ARGB32);
            QVERIFY2(!glyph.isNull(), name);
            int ink = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    ink += qAlpha(glyph.pixel(x, y)) > 24;
            QVERIFY2(ink > 30 && ink < 32 * 32 * 3 / 4, name);
        }
    }

    // The tab symbols, the About buttons' symbols and the trash symbols of rows that exist when the window
    // is built stand out from what they are drawn on: in the dark window on a light desktop, and again after
    // the window's colours change.
    void symbolsContrastWithTheirBackground() {
        SettingsHarness h(payloadWithPlaces());
        Window w(h, true, true);
        w.root->show();
        w.settle();
        const auto check = [&w](const char* when) {
            QList<QPair<QIcon, QWidget*>> symbols;
            QTabWidget* tabs = w.view()->tabs();
            for (int i = 0; i < tabs->count(); ++i)
                symbols.append({tabs->tabIcon(i), tabs->tabBar()});
            AboutSettingsTab* about = w.view()->aboutTab();
            for (QPushButton* button :
                 {about->checkForUpdatesButton(), about->websiteButton(), about->privacyButton()})
                symbols.append({button->icon(), button});
            for (int row = 0; row < 2; ++row) {
                QToolButton* trash = w.view()->locationsTab()->deleteButton(row);
                symbols.append({trash->icon(), trash});
            }
            for (const auto& [icon, widget] : symbols) {
                // A push button is drawn on its button face; the rest lie on the window.
                const QColor background = widget->palette().color(
                    qobject_cast<QPushButton*>(widget) ? QPalette::Button : QPalette::Window);
                const double ratio = contrastRatio(inkOver(icon, background), background);
                QVERIFY2(ratio >= 3.0,
                         qPrintable(QStringLiteral("%1, %2: contrast %3")
                                        .arg(QLatin1String(when),
                                             QString::fromLatin1(widget->metaObject()->className()))
                                        .arg(ratio, 0, 'f', 2)));
            }
        };
        check("dark window");
        w.root->setPalette(QApplication::style()->standardPalette());
        w.settle();
        check("light window");
    }

    // Symbol icons are shared once drawn: each is the one for its symbol, size and colour.
    void sharedSymbolIcons() {
        const QPalette dark = VantaSettingsRoot::darkPalette();
        const QPalette light = QApplication::style()->standardPalette();
        const auto edge = [](const QIcon& icon) { return icon.actualSize(QSize(64, 64)).width(); };
        QCOMPARE(edge(symbolIcon(QStringLiteral("trash"), dark, 14)), 14);
        QCOMPARE(edge(symbolIcon(QStringLiteral("trash"), dark, 20)), 20);
        QVERIFY(symbolIcon(QStringLiteral("trash"), dark).cacheKey() !=
                symbolIcon(QStringLiteral("safari"), dark).cacheKey());
        for (const QPalette& palette : {dark, light}) {
            const QColor ink = palette.color(QPalette::ButtonText);
            const QColor background = palette.color(QPalette::Button);
            QCOMPARE(inkOver(symbolIcon(QStringLiteral("trash"), palette), background).lightness() > 128,
                     ink.lightness() > 128);
        }
        const QColor red = inkOver(tintedSymbolIcon(QStringLiteral("trash"), Qt::red), Qt::white);
        const QColor blue = inkOver(tintedSymbolIcon(QStringLiteral("trash"), Qt::blue), Qt::white);
        QVERIFY(red.red() > red.blue() && blue.blue() > blue.red());
    }

    // Every tab at the window's size, with the project's fonts: dark, nothing cut off.
    void renders_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("name");
        QTest::newRow("display") << 0 << "display";
        QTest::newRow("locations") << 1 << "locations";
        QTest::newRow("locations-search") << 1 << "locations-search";
        QTest::newRow("sources") << 2 << "sources";
        QTest::newRow("about") << 3 << "about";
        QTest::newRow("warning") << 0 << "warning";
        // Messages longer than the window is wide: shown whole, on as many lines as they need.
        QTest::newRow("warning-mirror") << 0 << "warning-mirror";
        QTest::newRow("warning-set-aside") << 0 << "warning-set-aside";
    }
    void renders() {
        QFETCH(int, tab);
        QFETCH(QString, name);
        if (!QFontDatabase::hasFamily(QStringLiteral("Inter")))
            QSKIP("needs the Inter font (Debian package fonts-inter)");
        SettingsHarness h(payloadWithPlaces());
        failLaunchSave(h, name);
        // Without places the window looks for the current location: answered once the render is taken, as an
        // answer would save the places and clear the warning.
        const auto answerLocation = qScopeGuard([&h] {
            h.location->release(ScriptedCurrentLocationService::failed(CurrentLocationError::unavailable));
        });
        Window w(h, false, true);
        h.store->updateAPIKeyInMemory(QStringLiteral("abc"), K::openWeather);
        if (name == QLatin1String("warning"))
            h.blockSnapshotWrites();
        w.root->show();
        w.view()->tabs()->setCurrentIndex(tab);
        auto* locations = w.view()->locationsTab();
        if (name == QLatin1String("locations-search")) {
            QTest::keyClicks(locations->searchField(), QStringLiteral("San"));
            w.timers[0]->fire();
            w.search.answer(
                0, places({found(QStringLiteral("San Francisco"), 37.77, -122.42,
                                 QStringLiteral("California, United States")),
                           found(QStringLiteral("Santiago"), -33.45, -70.67, QStringLiteral("Chile")),
                           found(QStringLiteral("San Sebastián"), 43.32, -1.98, QString())}));
        }
        if (name == QLatin1String("warning"))
            click(w.view()->displayTab()->alertsToggle());
        w.settle();
        QTest::qWait(20);

        const QImage image = w.root->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/settings-renders");
        QDir().mkpath(dir);
        QVERIFY(image.save(dir + QStringLiteral("/settings-%1.png").arg(name)));
        QCOMPARE(image.size(), VantaSettingsRoot::windowSize * image.devicePixelRatio());
        QVERIFY(qGray(image.pixel(3, 3)) < 80); // dark on a light desktop
        QVERIFY(qGray(QApplication::palette().color(QPalette::Window).rgb()) > 180);

        auto* form = w.view()->tabs()->currentWidget()->findChild<SettingsForm*>();
        QVERIFY(form);
        const QStringList clipped = clippedTexts(form->content());
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(" | "))));
        QVERIFY(clippedTexts(w.view()->warningLine()->parentWidget()).isEmpty());
        if (name.startsWith(QLatin1String("warning"))) {
            QVERIFY(w.view()->warningLine()->isVisible());
            QCOMPARE(w.view()->warningLine()->text(), h.store->saveError().value_or(QString()));
        }
        QVERIFY(form->content()->width() <= form->viewport()->width());
        // A warning of several lines leaves the Display tab too little height: it scrolls then.
        if (name != QLatin1String("about") && !name.startsWith(QLatin1String("warning-")))
            QVERIFY2(form->content()->minimumSizeHint().height() <= form->viewport()->height(),
                     qPrintable(QStringLiteral("%1 > %2")
                                    .arg(form->content()->minimumSizeHint().height())
                                    .arg(form->viewport()->height())));
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "tst_settings_window.moc"

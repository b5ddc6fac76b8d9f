#include "MacSettingsView.h"

#include "DisplaySettingsTab.h"
#include "FitLabel.h"
#include "HTTPSession.h"
#include "LocationsSettingsTab.h"
#include "ProviderBaseURL.h"
#include "SourcesSettingsTab.h"
#include "SymbolIcon.h"
#include "ViewTheme.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include <utility>

namespace nimbra {

namespace {

struct TabItem {
    const char* title; // translated where the tab is made
    QString symbol;
};
const TabItem kTabs[] = {
    {QT_TRANSLATE_NOOP("nimbra::MacSettingsView", "Display"), QStringLiteral("menubar.rectangle")},
    {QT_TRANSLATE_NOOP("nimbra::MacSettingsView", "Locations"), QStringLiteral("location")},
    {QT_TRANSLATE_NOOP("nimbra::MacSettingsView", "Sources"), QStringLiteral("cloud.sun")},
    {QT_TRANSLATE_NOOP("nimbra::MacSettingsView", "About"), QStringLiteral("info.circle")}};

LocationSearchController::SearchFunction defaultSearch() {
    const LocationSearchService service(std::make_shared<HTTPSession>(), providerBaseURLOverride());
    return LocationSearchController::searchWith(service);
}

} // namespace

MacSettingsView::MacSettingsView(WeatherStore* store, SettingsEnvironment environment, QWidget* parent)
    : QWidget(parent), m_store(store) {
    const auto makeTimer =
        environment.makeTimer ? environment.makeTimer : [] { return SingleShotTimer::make(); };
    const SettingsBinding binding(store);
    // Each tab is made inside this view, with the palette and font it is shown with (see VantaSettingsRoot).
    m_display = new DisplaySettingsTab(binding, this);
    m_locations = new LocationsSettingsTab(
        store,
        LocationsSettingsTab::makeSearch(store, environment.search ? environment.search : defaultSearch(),
                                         makeTimer()),
        this);
    m_sources = new SourcesSettingsTab(binding, std::make_unique<APIKeyEditing>(store, makeTimer()), this);
    m_about = new AboutSettingsTab(binding, std::move(environment.about), this);

    m_tabs = new QTabWidget(this);
    m_tabs->setDocumentMode(true);
    m_tabs->setUsesScrollButtons(false);
    QWidget* pages[] = {m_display, m_locations, m_sources, m_about};
    for (int i = 0; i < 4; ++i)
        m_tabs->addTab(pages[i], tr(kTabs[i].title));
    paintWithPalette(m_tabs, [tabs = m_tabs](const QPalette& palette) {
        for (int i = 0; i < 4; ++i)
            tabs->setTabIcon(i, symbolIcon(kTabs[i].symbol, palette, 16));
    });
    m_tabs->setIconSize(QSize(16, 16));

    m_warning =
        new FitLabel(QString(), {FontToken::system(11, FontWeight::medium), ColorToken::of(Tint::orange)});
    m_warning->setMinimumScaleFactor(0.9);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(m_tabs, 1);
    column->addWidget(m_warning);

    m_syncSoon.setSingleShot(true);
    m_syncSoon.setInterval(0);
    connect(&m_syncSoon, &QTimer::timeout, this, &MacSettingsView::syncFromStore);
    connect(store, &WeatherStore::objectWillChange, &m_syncSoon, qOverload<>(&QTimer::start));
    syncFromStore();
}

MacSettingsView::~MacSettingsView() = default;

void MacSettingsView::syncFromStore() {
    m_syncSoon.stop();
    if (!m_store)
        return;
    m_display->syncFromStore();
    m_locations->syncFromStore();
    m_sources->syncFromStore();
    m_about->syncFromStore();
    // A change that could not be saved must not look saved.
    const auto error = m_store->saveError();
    m_warning->setText(error.value_or(QString()));
    m_warning->setToolTip(error.value_or(QString()));
    m_warning->setVisible(error.has_value());
}

void MacSettingsView::appeared() {
    if (m_store && m_store->currentLocationNeedsResolution()) {
        // Not kept: the store ends it and ignores a second one meanwhile; the token stops it with the window.
        m_resolution = makeCancellation();
        m_store->resolveCurrentLocation(m_resolution);
    }
    m_locations->search()->resume();
}

void MacSettingsView::disappeared() {
    if (const CancellationToken resolution = std::exchange(m_resolution, nullptr))
        resolution->cancel();
    m_locations->search()->cancel();
    m_sources->saveKeys();
}

} // namespace nimbra

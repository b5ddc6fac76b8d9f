#include "MacSettingsView.h"

#include "APIKeyEditing.h"
#include "DisplaySettingsTab.h"
#include "HTTPSession.h"
#include "LocationsSettingsTab.h"
#include "ProviderBaseURL.h"
#include "SourcesSettingsTab.h"
#include "SymbolIcon.h"
#include "ViewTheme.h"
#include "WrapLabel.h"

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
    : QWidget(parent), m_store(store), m_aboutEnvironment(std::move(environment.about)) {
    const auto makeTimer =
        environment.makeTimer ? environment.makeTimer : [] { return SingleShotTimer::make(); };
    // Made now, in this order, whichever tab is made first: the search's timer, then the key saver's.
    m_search = LocationsSettingsTab::makeSearch(
        store, environment.search ? environment.search : defaultSearch(), makeTimer());
    m_search->setParent(this);
    m_keyEditing = std::make_unique<APIKeyEditing>(store, makeTimer());

    m_tabs = new QTabWidget(this);
    m_tabs->setDocumentMode(true);
    m_tabs->setUsesScrollButtons(false);
    for (int i = 0; i < tabCount; ++i) {
        // Made inside the view, with the palette and font the window shows it with (see VantaSettingsRoot).
        m_pages[i] = new QWidget(this);
        auto* fill = new QVBoxLayout(m_pages[i]);
        fill->setContentsMargins(0, 0, 0, 0);
        m_tabs->addTab(m_pages[i], tr(kTabs[i].title));
    }
    makeTab(display);
    connect(m_tabs, &QTabWidget::currentChanged, this, &MacSettingsView::makeTab);
    paintWithPalette(m_tabs, [tabs = m_tabs](const QPalette& palette) {
        for (int i = 0; i < tabCount; ++i)
            tabs->setTabIcon(i, symbolIcon(kTabs[i].symbol, palette, 16));
    });
    m_tabs->setIconSize(QSize(16, 16));

    // Whole, wrapped as the key check's message is: what was not saved, and where, is read in full.
    m_warning =
        new WrapLabel(QString(), {FontToken::system(11, FontWeight::medium), ColorToken::of(Tint::orange)});
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

LocationsSettingsTab* MacSettingsView::locationsTab() {
    makeTab(locations);
    return m_locations;
}

SourcesSettingsTab* MacSettingsView::sourcesTab() {
    makeTab(sources);
    return m_sources;
}

AboutSettingsTab* MacSettingsView::aboutTab() {
    makeTab(about);
    return m_about;
}

SettingsForm* MacSettingsView::makeTab(int index) {
    SettingsForm* forms[] = {m_display, m_locations, m_sources, m_about};
    if (index < 0 || index >= tabCount || forms[index] || !m_store)
        return index >= 0 && index < tabCount ? forms[index] : nullptr;
    // Each tab shows the store's state as it is made.
    const SettingsBinding binding(m_store);
    QWidget* page = m_pages[index];
    SettingsForm* form = nullptr;
    switch (Tab(index)) {
    case display:
        form = m_display = new DisplaySettingsTab(binding, page);
        break;
    case locations:
        form = m_locations = new LocationsSettingsTab(m_store, m_search, page);
        break;
    case sources:
        form = m_sources = new SourcesSettingsTab(binding, std::move(m_keyEditing), page);
        break;
    case about:
        form = m_about = new AboutSettingsTab(binding, std::move(m_aboutEnvironment), page);
        connect(m_about, &AboutSettingsTab::checkForUpdatesRequested, this,
                &MacSettingsView::checkForUpdatesRequested);
        connect(m_about, &AboutSettingsTab::telemetryEnabledChanged, this,
                &MacSettingsView::telemetryEnabledChanged);
        connect(m_about, &AboutSettingsTab::openURLRequested, this, &MacSettingsView::openURLRequested);
        break;
    case tabCount:
        break;
    }
    page->layout()->addWidget(form);
    // Shown now, not on the layout's later turn: a tab made as it is switched to is laid out whole at once.
    form->show();
    return form;
}

void MacSettingsView::syncFromStore() {
    m_syncSoon.stop();
    if (!m_store)
        return;
    m_display->syncFromStore();
    if (m_locations)
        m_locations->syncFromStore();
    if (m_sources)
        m_sources->syncFromStore();
    if (m_about)
        m_about->syncFromStore();
    // A change that could not be saved must not look saved.
    const auto error = m_store->saveError();
    m_warning->setText(error.value_or(QString()));
    m_warning->setVisible(error.has_value());
}

void MacSettingsView::appeared() {
    if (m_store && m_store->currentLocationNeedsResolution()) {
        // Not kept: the store ends it and ignores a second one meanwhile; the token stops it with the window.
        m_resolution = makeCancellation();
        m_store->resolveCurrentLocation(m_resolution);
    }
    m_search->resume();
}

void MacSettingsView::disappeared() {
    if (const CancellationToken resolution = std::exchange(m_resolution, nullptr))
        resolution->cancel();
    m_search->cancel();
    // Keys are typed only into a Sources tab that was made.
    if (m_sources)
        m_sources->saveKeys();
}

} // namespace nimbra

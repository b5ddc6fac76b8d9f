#include "LocationsSettingsTab.h"

#include "FitLabel.h"
#include "MacLocationRowView.h"
#include "SettingsControls.h"
#include "SymbolIcon.h"
#include "Translations.h"
#include "ViewTheme.h"
#include "WrapLabel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>

namespace nimbra {

namespace {

// Rows live inside the section's row frame; showing a row shows that frame.
void setRowVisible(QWidget* content, bool visible) {
    if (QWidget* frame = content->parentWidget())
        frame->setVisible(visible);
}

QIcon trashIcon(const QPalette& palette) {
    return tintedSymbolIcon(QStringLiteral("trash"), theme::color(Tint::secondary, palette));
}

} // namespace

LocationSearchController* LocationsSettingsTab::makeSearch(WeatherStore* store,
                                                           LocationSearchController::SearchFunction search,
                                                           std::unique_ptr<SingleShotTimer> timer) {
    const QPointer<WeatherStore> guarded(store);
    return new LocationSearchController(
        std::move(search), [guarded] { return guarded ? guarded->locations() : QList<WeatherLocation>{}; },
        [guarded](const WeatherLocation& location) {
            if (!guarded)
                return;
            // Adds the place, or selects the stored one it repeats; then refreshes what is selected.
            guarded->addLocation(location);
            if (const auto selected = guarded->selectedLocation())
                guarded->refresh(*selected);
        },
        std::move(timer));
}

LocationsSettingsTab::LocationsSettingsTab(WeatherStore* store, LocationSearchController* search,
                                           QWidget* parent)
    : SettingsForm(parent), m_store(store), m_search(search) {
    m_search->setParent(this);

    auto* searchSection = addSection(tr("Search"));
    m_field = new QLineEdit;
    m_field->setPlaceholderText(translatedText("nimbra::LocationsSettingsTab", searchPlaceholder));
    m_field->setAccessibleName(translatedText("nimbra::LocationsSettingsTab", searchPlaceholder));
    searchSection->addRow(m_field);
    m_status = new QWidget;
    auto* statusLine = new QHBoxLayout(m_status);
    statusLine->setContentsMargins(0, 0, 0, 0);
    statusLine->setSpacing(6);
    m_statusSpinner = new ActivityIndicator(12);
    m_statusText = new WrapLabel(QString(), settingsstyle::caption);
    statusLine->addWidget(m_statusSpinner, 0, Qt::AlignVCenter);
    statusLine->addWidget(m_statusText, 1);
    searchSection->addRow(m_status);
    connect(m_field, &QLineEdit::textChanged, m_search, &LocationSearchController::setText);
    connect(m_search, &LocationSearchController::changed, this, &LocationsSettingsTab::syncSearch);

    m_resultsSection = addSection(tr("Search Results"));

    m_currentSection = addSection(tr("Current Location"));
    m_currentBox = new QWidget;
    auto* currentLine = new QHBoxLayout(m_currentBox);
    currentLine->setContentsMargins(0, 0, 0, 0);
    currentLine->setSpacing(10);
    m_currentRow = new MacLocationRowView;
    m_currentSpinner = new ActivityIndicator(12);
    m_update = new QPushButton(tr("Update"));
    currentLine->addWidget(m_currentRow, 1);
    currentLine->addWidget(m_currentSpinner);
    currentLine->addWidget(m_update);
    m_currentSection->addRow(m_currentBox);
    connect(m_currentRow, &MacLocationRowView::clicked, this, [this] {
        const auto current = m_store ? m_store->currentLocation() : std::nullopt;
        if (!current)
            return;
        m_store->select(*current);
        // Not kept: the store guards its own refreshes.
        m_store->refreshSelectedResolvingCurrentLocation();
    });
    connect(m_update, &QPushButton::clicked, this, [this] {
        if (m_store)
            m_store->resolveCurrentLocation();
    });

    m_savedSection = addSection(tr("Saved Locations"));
    m_noSaved =
        new WrapLabel(translatedText("nimbra::LocationsSettingsTab", noSavedText), settingsstyle::value);
    m_savedSection->addRow(m_noSaved);
    syncFromStore();
}

QString LocationsSettingsTab::statusLineText() const {
    return m_status->parentWidget()->isVisibleTo(this) ? m_statusText->text() : QString();
}

QList<MacLocationRowView*> LocationsSettingsTab::resultRows() const {
    QList<MacLocationRowView*> rows;
    for (qsizetype i = 0; i < m_search->results().size() && i < m_results.size(); ++i)
        rows.append(m_results[i].row);
    return rows;
}

QList<MacLocationRowView*> LocationsSettingsTab::savedRows() const {
    QList<MacLocationRowView*> rows;
    for (const SavedRow& saved : m_saved) {
        if (saved.box->parentWidget()->isVisibleTo(this))
            rows.append(saved.row);
    }
    return rows;
}

QToolButton* LocationsSettingsTab::deleteButton(int savedRow) const {
    return m_saved.value(savedRow).trash;
}

void LocationsSettingsTab::syncFromStore() {
    syncSearch();
    syncCurrent();
    syncSaved();
}

void LocationsSettingsTab::syncSearch() {
    if (m_field->text() != m_search->text()) {
        // The field follows the controller only when it cleared itself after an add.
        const QSignalBlocker blocker(m_field);
        m_field->setText(m_search->text());
    }
    using Line = LocationSearchController::StatusLine;
    const Line line = m_search->statusLine();
    setRowVisible(m_status, line != Line::none);
    m_statusSpinner->setVisible(line == Line::searching);
    m_statusText->setStyle(line == Line::searching ? settingsstyle::value : settingsstyle::caption);
    m_statusText->setText(m_search->statusText());

    const bool showingResults = m_search->isShowingSearchResults();
    m_resultsSection->setVisible(showingResults);
    m_currentSection->setVisible(!showingResults);
    m_savedSection->setVisible(!showingResults);

    const QList<WeatherLocation>& results = m_search->results();
    while (m_results.size() < results.size()) {
        auto* row = new MacLocationRowView;
        const int index = int(m_results.size());
        connect(row, &MacLocationRowView::clicked, this, [this, index] { addSearchResult(index); });
        m_resultsSection->addRow(row);
        m_results.append(ResultRow{row, {}});
    }
    // The card shows no empty frame when there is nothing to list.
    m_resultsSection->card()->setVisible(!results.isEmpty());
    for (qsizetype i = 0; i < m_results.size(); ++i) {
        const bool used = i < results.size();
        setRowVisible(m_results[i].row, used);
        if (used) {
            m_results[i].location = results[i];
            m_results[i].row->setRow(locationrows::searchResultRow(results[i]));
        }
    }
}

void LocationsSettingsTab::addSearchResult(int index) {
    if (index >= m_search->results().size() || !m_store)
        return;
    // The place as listed when clicked, not as the row was first filled.
    m_search->add(m_search->results()[index]);
}

void LocationsSettingsTab::syncCurrent() {
    const auto current = m_store->currentLocation();
    setRowVisible(m_currentBox, current.has_value());
    if (!current)
        return;
    const auto selected = m_store->selectedLocation();
    const bool resolving = m_store->isResolvingCurrentLocation();
    m_currentRow->setRow(locationrows::currentLocationRow(
        *current, {m_store->currentLocationNeedsResolution(), resolving, m_store->currentLocationStatus(),
                   selected && selected->id == current->id}));
    m_currentSpinner->setVisible(resolving);
    m_update->setEnabled(!resolving);
}

void LocationsSettingsTab::syncSaved() {
    const QList<WeatherLocation> saved = m_store->savedLocations();
    const auto selected = m_store->selectedLocation();
    const QUuid selectedID = selected ? selected->id : QUuid();
    // The store changes for many reasons (a slider step, a refresh): the list follows only its own.
    if (m_savedShown && m_savedShown->places == saved && m_savedShown->selectedID == selectedID)
        return;
    m_savedShown = ShownSaved{saved, selectedID};
    setRowVisible(m_noSaved, saved.isEmpty());
    while (m_saved.size() < saved.size()) {
        SavedRow row;
        row.box = new QWidget;
        auto* line = new QHBoxLayout(row.box);
        line->setContentsMargins(0, 4, 0, 4);
        line->setSpacing(10);
        row.row = new MacLocationRowView;
        row.trash = new QToolButton;
        row.trash->setAutoRaise(true);
        paintWithPalette(
            row.trash, [trash = row.trash](const QPalette& palette) { trash->setIcon(trashIcon(palette)); });
        row.trash->setToolTip(tr("Delete"));
        row.trash->setAccessibleName(tr("Delete"));
        line->addWidget(row.row, 1);
        line->addWidget(row.trash);
        m_savedSection->addRow(row.box);
        const int index = int(m_saved.size());
        // Each button asks for the place its row shows at the time of the click.
        connect(row.row, &MacLocationRowView::clicked, this, [this, index] {
            const QUuid id = m_saved[index].id;
            for (const WeatherLocation& l : m_store->savedLocations()) {
                if (l.id != id)
                    continue;
                m_store->select(l);
                m_store->refresh(l);
                return;
            }
        });
        connect(row.trash, &QToolButton::clicked, this, [this, index] { deleteSaved(m_saved[index].id); });
        m_saved.append(row);
    }
    for (qsizetype i = 0; i < m_saved.size(); ++i) {
        const bool used = i < saved.size();
        setRowVisible(m_saved[i].box, used);
        m_saved[i].id = used ? saved[i].id : QUuid();
        if (used)
            m_saved[i].row->setRow(
                locationrows::savedLocationRow(saved[i], selected && selected->id == saved[i].id));
    }
}

void LocationsSettingsTab::deleteSaved(const QUuid& id) {
    if (!m_store || id.isNull())
        return;
    const QList<WeatherLocation> saved = m_store->savedLocations();
    for (int i = 0; i < saved.size(); ++i) {
        if (saved[i].id == id) {
            m_store->deleteSavedLocations({i});
            m_store->refreshSelectedResolvingCurrentLocation();
            return;
        }
    }
}

} // namespace nimbra

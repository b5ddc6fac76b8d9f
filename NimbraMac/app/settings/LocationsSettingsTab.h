#pragma once

#include "LocationSearchController.h"
#include "SettingsForm.h"
#include "WeatherStore.h"

#include <QPointer>
#include <QUuid>

#include <optional>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace nimbra {

class ActivityIndicator;
class FitLabel;
class MacLocationRowView;
class WrapLabel;

// Finding places by name, keeping them, choosing the one the tray shows, deleting kept places, and the
// current location with its renewal.
class LocationsSettingsTab : public SettingsForm {
    Q_OBJECT
public:
    static inline const QString searchPlaceholder =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::LocationsSettingsTab", "Search city or place"));
    static inline const QString noSavedText = QStringLiteral(
        QT_TRANSLATE_NOOP("nimbra::LocationsSettingsTab", "Search for a city to save it here."));

    // A search over `search` whose results skip the store's places and whose chosen result is added to the
    // store, selected and refreshed.
    static LocationSearchController*
    makeSearch(WeatherStore* store, LocationSearchController::SearchFunction search,
               std::unique_ptr<SingleShotTimer> timer = SingleShotTimer::make());

    // Takes the controller over.
    LocationsSettingsTab(WeatherStore* store, LocationSearchController* search, QWidget* parent = nullptr);
    void syncFromStore();
    LocationSearchController* search() const { return m_search; }

    QLineEdit* searchField() const { return m_field; }
    // The line under the field: "Searching", the failure or "No matching cities found."
    QString statusLineText() const;
    SettingsSection* resultsSection() const { return m_resultsSection; }
    SettingsSection* currentSection() const { return m_currentSection; }
    SettingsSection* savedSection() const { return m_savedSection; }
    QList<MacLocationRowView*> resultRows() const;
    MacLocationRowView* currentRow() const { return m_currentRow; }
    QPushButton* updateButton() const { return m_update; }
    QList<MacLocationRowView*> savedRows() const;
    QToolButton* deleteButton(int savedRow) const;

private:
    struct SavedRow {
        QWidget* box = nullptr;
        MacLocationRowView* row = nullptr;
        QToolButton* trash = nullptr;
        QUuid id;
    };
    // What the saved rows were last filled from.
    struct ShownSaved {
        QList<WeatherLocation> places;
        QUuid selectedID;
    };
    struct ResultRow {
        MacLocationRowView* row = nullptr;
        WeatherLocation location;
    };
    void syncSearch();
    void syncCurrent();
    void syncSaved();
    void addSearchResult(int index);
    void deleteSaved(const QUuid& id);

    QPointer<WeatherStore> m_store;
    LocationSearchController* m_search;
    QLineEdit* m_field;
    QWidget* m_status;
    ActivityIndicator* m_statusSpinner;
    WrapLabel* m_statusText;
    SettingsSection* m_resultsSection;
    QList<ResultRow> m_results;
    SettingsSection* m_currentSection;
    QWidget* m_currentBox;
    MacLocationRowView* m_currentRow;
    ActivityIndicator* m_currentSpinner;
    QPushButton* m_update;
    SettingsSection* m_savedSection;
    WrapLabel* m_noSaved;
    QList<SavedRow> m_saved;
    std::optional<ShownSaved> m_savedShown;
};

} // namespace nimbra

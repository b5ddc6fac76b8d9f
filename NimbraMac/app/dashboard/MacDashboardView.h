#pragma once

#include "Clock.h"
#include "DashboardModel.h"
#include "LocalCalendar.h"
#include "SectionFreshness.h"
#include "TrendGraphViewModel.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QScrollArea;
class QTimer;
class QVBoxLayout;

namespace nimbra {

class DailyListView;
class DashboardResizeHandle;
class GlyphButton;
class TwelveHourTrendGraphView;
class WeatherStore;
class WrapLabel;

// The popover's content: a header with the application's name and a refresh button, the scrolling column of
// the selected forecast, a warning row for the last failure, and a footer with the time of the last update,
// the settings and quit buttons. It redraws from the store whenever the store changes, updating the sections
// in place so the trend graph's metric, the expanded days and the scroll position survive a refresh.
// (The "Mac" of the name is kept from the application's first platform; here it is a Qt widget.)
class MacDashboardView : public QWidget {
    Q_OBJECT
public:
    static inline const QString titleText = QStringLiteral("Nimbra");
    static inline const QString refreshHelp =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::MacDashboardView", "Refresh"));
    static inline const QString settingsHelp =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::MacDashboardView", "Settings"));
    static inline const QString quitHelp =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::MacDashboardView", "Quit"));
    // The settings button closes the popover this long after asking for the settings window.
    static constexpr int settingsCloseDelayMs = 120;
    // How long after hiding the sections are built for the next showing.
    static constexpr int rebuildAfterHidingMs = 500;

    MacDashboardView(WeatherStore& store, std::function<void()> closePopover,
                     std::function<void(QSizeF)> onResizeDrag,
                     std::shared_ptr<const Clock> clock = Clock::system(),
                     LocalCalendar calendar = LocalCalendar::system(), QWidget* parent = nullptr);
    ~MacDashboardView() override;

    // Reads the store again now (it also does so on its own shortly after every change).
    void reload();
    // For a showing that follows at once: brings the sections up to date while still hidden, so the window's
    // first layout and paint are of what it shows and the showing builds nothing again. Sections built since
    // the last showing are kept as they are when the hero reads the same now; otherwise they are brought up
    // to date as a showing does (in place, their rows scrolled back to the start).
    void prepareToShow();
    // Before the first showing, what it would do in one long block, cut in pieces short enough for one
    // event-loop turn each: reading the font list, loading the fonts and measuring each section, laying the
    // window out, making the symbols. Nothing shown changes; none once shown.
    QList<std::function<void()>> firstShowingSteps();

    const DashboardModel& model() const { return m_model; }
    // The column's widgets, in order, one per model section.
    QList<QWidget*> sectionWidgets() const;
    GlyphButton* refreshButton() const { return m_refresh; }
    GlyphButton* settingsButton() const { return m_settings; }
    GlyphButton* quitButton() const { return m_quit; }
    QLabel* footerLabel() const { return m_footer; }
    QWidget* warningRow() const { return m_warningRow; }
    WrapLabel* warningLabel() const { return m_warning; }
    DashboardResizeHandle* resizeHandle() const { return m_handle; }
    QScrollArea* scrollArea() const { return m_scroll; }
    // Moves the footer's relative time on while the dashboard is shown.
    QTimer* footerTimer() const { return m_footerTimer; }

Q_SIGNALS:
    void settingsRequested();
    void quitRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // A click on the warning row dismisses the start-up notice.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildWarningRow();
    QWidget* buildFooter();
    void scheduleReload();
    void updateFooter(const std::optional<ConsensusForecast>& forecast, const QDateTime& now);
    // Brings the sections up to date: each one still listed shows the new data with the widgets it has where
    // its rows stay the same, and is built anew where they do not.
    void rebuildSections(const DashboardInputs& inputs, const QDateTime& now);
    static std::optional<DashboardSection> sectionKind(const QWidget* widget);
    // The section of that kind for these inputs: `kept` (the one shown so far, or null) updated in place, or
    // a new one.
    QWidget* updatedSection(DashboardSection kind, QWidget* kept, const DashboardInputs& inputs,
                            const QDateTime& now);
    void dropSection(QWidget* section);
    static void scrollToStart(QWidget* section);
    bool isOnScreenOrAboutTo() const;
    void setFonts();
    bool heroIsCurrent(const QDateTime& now) const;
    void placeHandle();
    void requestSettings();
    void settleStartupNotice(const DashboardInputs& inputs);

    QPointer<WeatherStore> m_store;
    std::function<void()> m_closePopover;
    std::shared_ptr<const Clock> m_clock;
    LocalCalendar m_calendar;
    DashboardModel m_model;
    // Whether reload() builds the sections again, and whether a showing is about to happen.
    SectionFreshness m_freshness;
    bool m_reloadPending = false;
    // Set at the first showing, or at the last of the steps readying it: nothing is left to ready after.
    bool m_fontsSet = false;
    // The start-up notice was on screen, and a refresh has started since.
    bool m_noticeSeen = false;
    bool m_refreshSinceNoticeSeen = false;

    GlyphButton* m_refresh = nullptr;
    GlyphButton* m_settings = nullptr;
    GlyphButton* m_quit = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_footer = nullptr;
    QWidget* m_warningRow = nullptr;
    WrapLabel* m_warning = nullptr;
    DashboardResizeHandle* m_handle = nullptr;
    QScrollArea* m_scroll = nullptr;
    QVBoxLayout* m_column = nullptr;
    QList<QWidget*> m_sections;
    // Kept while listed, for the state they hold; the trend card's metric also when it is not.
    DailyListView* m_daily = nullptr;
    TrendMetric m_trendMetric = TrendMetric::temperature;
    // Keeps the footer's relative time current while the dashboard is on screen; stopped while hidden.
    QTimer* m_footerTimer = nullptr;
};

} // namespace nimbra

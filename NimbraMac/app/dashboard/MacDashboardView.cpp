#include "MacDashboardView.h"

#include "AlertListView.h"
#include "AppGlyphs.h"
#include "CardWidget.h"
#include "DailyListView.h"
#include "DashboardResizeHandle.h"
#include "HorizontalScrollArea.h"
#include "HourlyStripView.h"
#include "SlimScrollStyle.h"
#include "SymbolImage.h"
#include "SymbolView.h"
#include "Translations.h"
#include "TurnSteps.h"
#include "TwelveHourTrendGraphView.h"
#include "ViewTheme.h"
#include "WeatherHeroView.h"
#include "WeatherStore.h"
#include "WrapLabel.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QFrame>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace nimbra {
namespace {

// The faces the dashboard's text is set in: the text family's regular, medium and semibold, and the
// rounded semibold of the large temperature.
QList<FontToken> dashboardFaces() {
    return {FontToken::system(13, FontWeight::regular), FontToken::system(13, FontWeight::medium),
            FontToken::system(13, FontWeight::semibold),
            FontToken::system(13, FontWeight::semibold, FontDesign::rounded)};
}

QWidget* divider() {
    return new DividerLine(ColorToken::of(Tint::tertiary));
}

// The column's scroll bar: a thin handle, as popovers have (see SlimScrollStyle).
void makeSlim(QScrollBar* bar) {
    auto* style = new SlimScrollStyle;
    style->setParent(bar);
    bar->setStyle(style);
}

QFont headlineFont() {
    return theme::font(FontToken::style(TextStyle::headline));
}

QFont captionFont() {
    return theme::font(FontToken::style(TextStyle::caption));
}

// The application's picture in the header.
class AppIconView : public QWidget {
public:
    explicit AppIconView(QWidget* parent = nullptr) : QWidget(parent) { setFixedSize(28, 28); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        drawAppGlyph(p, AppGlyph::umbrella, QRectF(rect()), theme::color(Tint::secondary, palette()));
    }
};

class WarningIconView : public QWidget {
public:
    explicit WarningIconView(QWidget* parent = nullptr) : QWidget(parent) { setFixedSize(14, 14); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        drawAppGlyph(p, AppGlyph::warning, QRectF(rect()), theme::color(Tint::orange, palette()));
    }
};

DashboardInputs inputsOf(const WeatherStore& store) {
    return {store.selectedForecast(),           store.settings(),  store.isRefreshing(),
            store.isResolvingCurrentLocation(), store.lastError(), store.startupNotice()};
}

} // namespace

MacDashboardView::MacDashboardView(WeatherStore& store, std::function<void()> closePopover,
                                   std::function<void(QSizeF)> onResizeDrag,
                                   std::shared_ptr<const Clock> clock, LocalCalendar calendar,
                                   QWidget* parent)
    : QWidget(parent), m_store(&store), m_closePopover(std::move(closePopover)), m_clock(std::move(clock)),
      m_calendar(std::move(calendar)) {
    // Transparent, as everything inside it: the window behind fills the background once for all.
    setBackgroundRole(QPalette::Window);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(buildHeader());
    stack->addWidget(divider());

    auto* column = new QWidget;
    m_column = new QVBoxLayout(column);
    m_column->setContentsMargins(12, 12, 12, 12);
    m_column->setSpacing(12);
    m_column->addStretch(1);
    m_scroll = new QScrollArea;
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    makeSlim(m_scroll->verticalScrollBar());
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(column);
    // Transparent too: a section replaced in place is repainted over the window's background, which Qt
    // paints under every widget that does not fill its own.
    m_scroll->viewport()->setBackgroundRole(QPalette::Window);
    m_scroll->viewport()->setAutoFillBackground(false);
    stack->addWidget(m_scroll, 1);

    stack->addWidget(divider());
    stack->addWidget(buildWarningRow());
    stack->addWidget(buildFooter());

    m_handle = new DashboardResizeHandle(std::move(onResizeDrag), this);
    placeHandle();

    m_footerTimer = new QTimer(this);
    m_footerTimer->setInterval(30'000);
    connect(m_footerTimer, &QTimer::timeout, this, [this] {
        if (m_store)
            updateFooter(m_store->selectedForecast(), m_clock->now());
    });

    // The store announces a change before applying it: read it once the burst of changes has settled.
    connect(&store, &WeatherStore::objectWillChange, this, &MacDashboardView::scheduleReload);
    reload();
}

MacDashboardView::~MacDashboardView() = default;

QWidget* MacDashboardView::buildHeader() {
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(14, 10, 14, 10);
    row->setSpacing(10);
    row->addWidget(new AppIconView);
    m_title = new QLabel(titleText);
    row->addWidget(m_title);
    row->addStretch(1);
    m_refresh = new GlyphButton(AppGlyph::refresh, translatedText("nimbra::MacDashboardView", refreshHelp));
    connect(m_refresh, &QAbstractButton::clicked, this, [this] {
        // Another refresh while one runs is the store's to drop.
        if (m_store)
            m_store->refreshSelectedResolvingCurrentLocation();
    });
    row->addWidget(m_refresh);
    return header;
}

QWidget* MacDashboardView::buildWarningRow() {
    m_warningRow = new QWidget;
    auto* row = new QHBoxLayout(m_warningRow);
    row->setContentsMargins(14, 6, 14, 0);
    row->setSpacing(6);
    row->addWidget(new WarningIconView, 0, Qt::AlignTop);
    // Whole, on as many lines as it needs: a notice names the file it kept, which the user must be able to
    // read in full.
    m_warning =
        new WrapLabel(QString(), {FontToken::style(TextStyle::caption), ColorToken::of(Tint::orange)});
    row->addWidget(m_warning, 1);
    m_warningRow->hide();
    m_warningRow->installEventFilter(this);
    return m_warningRow;
}

QWidget* MacDashboardView::buildFooter() {
    auto* footer = new QWidget;
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(14, 10, 14, 10);
    row->setSpacing(12);
    m_footer = new QLabel;
    m_footer->setTextFormat(Qt::PlainText);
    QPalette p = m_footer->palette();
    p.setColor(QPalette::WindowText, theme::color(Tint::secondary, p));
    m_footer->setPalette(p);
    row->addWidget(m_footer);
    row->addStretch(1);
    m_settings = new GlyphButton(AppGlyph::gear, translatedText("nimbra::MacDashboardView", settingsHelp));
    connect(m_settings, &QAbstractButton::clicked, this, &MacDashboardView::requestSettings);
    row->addWidget(m_settings);
    m_quit = new GlyphButton(AppGlyph::power, translatedText("nimbra::MacDashboardView", quitHelp));
    connect(m_quit, &QAbstractButton::clicked, this, &MacDashboardView::quitRequested);
    row->addWidget(m_quit);
    // The resize handle lies over the row's last stretch.
    row->addSpacing(24);
    return footer;
}

void MacDashboardView::requestSettings() {
    Q_EMIT settingsRequested();
    QPointer<MacDashboardView> self(this);
    QTimer::singleShot(settingsCloseDelayMs, this, [self] {
        if (self && self->m_closePopover)
            self->m_closePopover();
    });
}

void MacDashboardView::scheduleReload() {
    if (m_reloadPending)
        return;
    m_reloadPending = true;
    QTimer::singleShot(0, this, [this] {
        m_reloadPending = false;
        reload();
    });
}

void MacDashboardView::reload() {
    if (!m_store)
        return;
    const DashboardInputs inputs = inputsOf(*m_store);
    const QDateTime now = m_clock->now();
    const QString footer = m_model.footerText;
    m_model = dashboardModelWithoutFooter(inputs);
    m_model.footerText = footer;
    updateFooter(inputs.forecast, now);
    m_refresh->setBusy(m_model.busy);
    m_warning->setText(m_model.warning.value_or(QString()));
    // Showing the row lays it out, which measures its text: while the dashboard is hidden that waits for
    // its showing, which reloads.
    if (isOnScreenOrAboutTo() || !m_model.warning)
        m_warningRow->setVisible(m_model.warning.has_value());
    rebuildSections(inputs, now);
    settleStartupNotice(inputs);
}

void MacDashboardView::settleStartupNotice(const DashboardInputs& inputs) {
    // Kept until the user has seen it: it goes with the first successful refresh that starts after the
    // dashboard showed it.
    if (!inputs.startupNotice) {
        m_noticeSeen = m_refreshSinceNoticeSeen = false;
        return;
    }
    if (isVisible())
        m_noticeSeen = true;
    if (m_noticeSeen && inputs.isRefreshing) {
        m_refreshSinceNoticeSeen = true;
    } else if (m_refreshSinceNoticeSeen && !inputs.isRefreshing) {
        m_refreshSinceNoticeSeen = false;
        if (!inputs.lastError && m_store)
            m_store->dismissStartupNotice();
    }
}

bool MacDashboardView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_warningRow && event->type() == QEvent::MouseButtonRelease && m_model.warningIsNotice &&
        m_store)
        m_store->dismissStartupNotice();
    return QWidget::eventFilter(watched, event);
}

void MacDashboardView::updateFooter(const std::optional<ConsensusForecast>& forecast, const QDateTime& now) {
    // Only on screen: hidden, the relative time would go stale before anyone reads it, and working it out
    // loads the formatter's locale data into an application otherwise idle in the tray.
    if (!isOnScreenOrAboutTo())
        return;
    m_model.footerText = dashboardFooterText(forecast, now, m_calendar);
    m_footer->setText(m_model.footerText);
}

QList<QWidget*> MacDashboardView::sectionWidgets() const {
    return m_sections;
}

void MacDashboardView::rebuildSections(const DashboardInputs& inputs, const QDateTime& now) {
    SectionFreshness::Source source{inputs.forecast, inputs.settings};
    if (!m_freshness.mustRebuild(source))
        return;
    const bool reopening = m_freshness.rebuilt(std::move(source), isVisible());

    QWidget* column = m_scroll->widget();
    column->setUpdatesEnabled(false);
    QList<QWidget*> previous = std::exchange(m_sections, {});
    for (const DashboardSection kind : m_model.sections) {
        QWidget* kept = nullptr;
        for (QWidget* widget : std::as_const(previous)) {
            if (sectionKind(widget) == kind)
                kept = widget;
        }
        QWidget* widget = updatedSection(kind, kept, inputs, now);
        previous.removeOne(kept);
        if (kept && widget != kept) {
            m_column->removeWidget(kept);
            dropSection(kept);
        }
        if (reopening)
            scrollToStart(widget);
        // Moved only where it is not yet: taken out and put back, it would lay the column out again.
        if (m_column->indexOf(widget) != m_sections.size()) {
            m_column->removeWidget(widget);
            m_column->insertWidget(int(m_sections.size()), widget);
        }
        m_sections.append(widget);
    }
    for (QWidget* gone : std::as_const(previous)) {
        m_column->removeWidget(gone);
        dropSection(gone);
    }
    column->setUpdatesEnabled(true);
}

std::optional<DashboardSection> MacDashboardView::sectionKind(const QWidget* widget) {
    if (qobject_cast<const WeatherHeroView*>(widget))
        return DashboardSection::hero;
    if (qobject_cast<const TwelveHourTrendGraphView*>(widget))
        return DashboardSection::trendGraph;
    if (qobject_cast<const HourlyStripView*>(widget))
        return DashboardSection::hourlyStrip;
    if (qobject_cast<const DailyListView*>(widget))
        return DashboardSection::dailyList;
    if (qobject_cast<const AlertListView*>(widget))
        return DashboardSection::alertList;
    return std::nullopt;
}

QWidget* MacDashboardView::updatedSection(DashboardSection kind, QWidget* kept, const DashboardInputs& inputs,
                                          const QDateTime& now) {
    const auto& forecast = inputs.forecast;
    const auto& settings = inputs.settings;
    switch (kind) {
    case DashboardSection::hero: {
        HeroViewModel model =
            buildHeroViewModel(forecast, settings, WeatherHeroPresentation::macPopover, now, m_calendar);
        if (auto* hero = qobject_cast<WeatherHeroView*>(kept); hero && hero->setModel(model))
            return hero;
        return new WeatherHeroView(model);
    }
    case DashboardSection::trendGraph:
        if (auto* trend = qobject_cast<TwelveHourTrendGraphView*>(kept)) {
            trend->setForecast(forecast->hourly, settings);
            return trend;
        }
        return new TwelveHourTrendGraphView(forecast->hourly, settings, m_trendMetric, 108, 7, m_calendar);
    case DashboardSection::hourlyStrip: {
        HourlyStripViewModel model = buildHourlyStripViewModel(forecast->hourly, settings, m_calendar);
        if (auto* strip = qobject_cast<HourlyStripView*>(kept); strip && strip->setModel(model))
            return strip;
        return new HourlyStripView(model);
    }
    case DashboardSection::dailyList:
        // Kept while there is a forecast, for its expanded days.
        if (m_daily)
            m_daily->setForecast(forecast->daily, settings);
        else
            m_daily = new DailyListView(forecast->daily, settings, m_calendar);
        return m_daily;
    case DashboardSection::alertList: {
        AlertListViewModel model = buildAlertListViewModel(forecast->alerts);
        if (auto* alerts = qobject_cast<AlertListView*>(kept); alerts && alerts->model() == model)
            return alerts;
        return new AlertListView(model);
    }
    }
    return kept;
}

void MacDashboardView::dropSection(QWidget* section) {
    // The trend card's metric is the user's choice: a card built later starts with it.
    if (auto* trend = qobject_cast<TwelveHourTrendGraphView*>(section))
        m_trendMetric = trend->selectedMetric();
    // Without a forecast the ten-day list goes; its expanded days belong to the forecast that went with it.
    if (section == m_daily)
        m_daily = nullptr;
    section->hide();
    section->deleteLater();
}

void MacDashboardView::scrollToStart(QWidget* section) {
    for (HorizontalScrollArea* row : section->findChildren<HorizontalScrollArea*>())
        row->setScrollPosition(0);
}

void MacDashboardView::placeHandle() {
    m_handle->move(width() - 5 - m_handle->width(), height() - 5 - m_handle->height());
    m_handle->raise();
}

void MacDashboardView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeHandle();
}

bool MacDashboardView::isOnScreenOrAboutTo() const {
    return isVisible() || m_freshness.isAboutToShow();
}

bool MacDashboardView::heroIsCurrent(const QDateTime& now) const {
    const auto* hero = qobject_cast<const WeatherHeroView*>(m_sections.value(0));
    return hero && m_store &&
           hero->model() == buildHeroViewModel(m_store->selectedForecast(), m_store->settings(),
                                               WeatherHeroPresentation::macPopover, now, m_calendar);
}

void MacDashboardView::setFonts() {
    // At the first showing: working out a font's family reads the system's whole font list, which a
    // dashboard hidden in the tray has no use for.
    if (std::exchange(m_fontsSet, true))
        return;
    m_title->setFont(headlineFont());
    m_footer->setFont(captionFont());
}

void MacDashboardView::prepareToShow() {
    if (isVisible())
        return;
    setFonts();
    // The footer and the warning row too: set after the first layout, they would lay out and paint the
    // window a second time.
    m_freshness.prepared([this] { return heroIsCurrent(m_clock->now()); });
    reload();
    // Only for the showing that follows in this turn.
    QTimer::singleShot(0, this, [this] { m_freshness.preparationLapsed(); });
}

QList<std::function<void()>> MacDashboardView::firstShowingSteps() {
    if (m_fontsSet)
        return {};
    QList<std::function<void()>> steps;
    // Reading the font list is the longest step: it has a turn to itself.
    steps.append(TurnSteps::nextTurn());
    steps.append([] {
        (void)theme::textFamily();
        (void)theme::roundedFamily();
    });
    steps.append(TurnSteps::nextTurn());
    // Opening a face costs a few milliseconds; the sections' first measuring would open them all at once.
    for (const FontToken& face : dashboardFaces())
        steps.append([face] { (void)QFontMetricsF(theme::font(face)).height(); });
    // Each section measured on its own first, so that loading the fonts is shared out among the steps.
    // By position: a reload may replace the sections between two steps.
    for (qsizetype i = 0; i < m_sections.size(); ++i) {
        steps.append([this, i] {
            if (i < m_sections.size())
                (void)m_sections[i]->sizeHint();
        });
    }
    steps.append([this] {
        for (const SymbolView* symbol : findChildren<SymbolView*>())
            SymbolImage::prepare(symbol->name());
        for (const TrendMetric metric : trendMetrics::allCases())
            SymbolImage::prepare(trendMetrics::symbolName(metric));
    });
    // The window laid out last, in the showing's own turn: the layouts this posts are then taken up before
    // the window system's first expose, which is painted once rather than again as they arrive.
    steps.append(TurnSteps::nextTurn());
    steps.append([this] {
        setFonts();
        for (QWidget* widget : {window(), static_cast<QWidget*>(this)}) {
            widget->ensurePolished();
            if (widget->layout())
                widget->layout()->activate();
        }
    });
    return steps;
}

void MacDashboardView::showEvent(QShowEvent* event) {
    setFonts();
    QWidget::showEvent(event);
    // Relative times ("Updated 5 min. ago") have moved on while it was hidden; this runs before the first
    // paint. (A showing sets the widget visible before it sends this event: the sections are built as shown.)
    m_freshness.shown();
    reload();
    // The column lays itself out, and the scroll bar shows, in events of their own once the column's height
    // is known: taken now, before the first paint, the window is painted once, as it stays.
    QCoreApplication::sendPostedEvents(m_scroll->widget(), QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(m_scroll, QEvent::MetaCall);
    m_footerTimer->start();
}

void MacDashboardView::hideEvent(QHideEvent* event) {
    m_footerTimer->stop();
    QWidget::hideEvent(event);
    // The next showing wants fresh sections: built a moment later, while nobody waits, instead of when the
    // user opens it, and not in the stretch of what hid it (a settings window opening over it). A window only
    // minimised is still visible and keeps them.
    QTimer::singleShot(rebuildAfterHidingMs, this, [this] {
        if (!isVisible() && m_freshness.hidden())
            reload();
    });
}

} // namespace nimbra

#pragma once

// The dashboard column as the popover stacks the shared views, built from the fixture forecast. Used by the
// render tests and by the nimbra-render-dashboard tool.

#include "AlertListView.h"
#include "Clock.h"
#include "ConsensusEngine.h"
#include "DailyListView.h"
#include "HourlyStripView.h"
#include "TwelveHourTrendGraphView.h"
#include "WeatherFixtures.h"
#include "WeatherHeroView.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QScrollArea>

#include <optional>

namespace nimbra::preview {

// A fixed instant, so renders are the same on every run: 14:20 UTC on a Wednesday.
inline QDateTime fixedNow() {
    return QDateTime(QDate(2025, 6, 18), QTime(14, 20), Qt::UTC);
}

inline LocalCalendar utcCalendar() {
    return {QTimeZone::utc(), QLocale(QLocale::English, QLocale::UnitedStates)};
}

// The consensus of the five sample providers; with withAlert, the sample alert of the alert-carrying
// provider.
inline ConsensusForecast fixtureForecast(const QDateTime& now, const LocalCalendar& calendar,
                                         bool withAlert = false) {
    QList<ProviderForecast> forecasts =
        WeatherFixtures::providerForecasts(WeatherFixtures::home(), now, calendar);
    const ManualClock clock(now);
    ConsensusForecast forecast =
        ConsensusEngine::build(WeatherFixtures::home(), forecasts, {}, now, calendar, clock);
    if (withAlert)
        forecast.alerts =
            WeatherFixtures::forecast(WeatherProviderKind::nws, WeatherFixtures::home(), now, calendar)
                .alerts;
    return forecast;
}

struct DashboardColumn {
    QScrollArea* scroll = nullptr;
    QWidget* column = nullptr;
    WeatherHeroView* hero = nullptr;
    TwelveHourTrendGraphView* trend = nullptr;
    HourlyStripView* hourly = nullptr;
    DailyListView* daily = nullptr;
    AlertListView* alerts = nullptr;
};

// Lets queued layout requests run until the widget tree has settled (each level of nesting posts the next).
inline void settle() {
    for (int i = 0; i < 12; ++i)
        QCoreApplication::processEvents();
}

// The scrolling column of the popover: the hero card always; with a forecast, the sections the settings ask
// for.
inline DashboardColumn dashboardColumn(const std::optional<ConsensusForecast>& forecast,
                                       const WeatherSettings& settings, const QDateTime& now,
                                       const LocalCalendar& calendar) {
    DashboardColumn d;
    d.column = new QWidget;
    auto* stack = new QVBoxLayout(d.column);
    stack->setContentsMargins(12, 12, 12, 12);
    stack->setSpacing(12);
    d.hero = new WeatherHeroView(forecast, settings, WeatherHeroPresentation::macPopover, now, calendar);
    stack->addWidget(d.hero);
    if (forecast) {
        if (settings.showTwelveHourTrendGraph) {
            d.trend = new TwelveHourTrendGraphView(forecast->hourly, settings, TrendMetric::temperature, 108,
                                                   7, calendar);
            stack->addWidget(d.trend);
        }
        if (settings.showHourlyForecastCards) {
            d.hourly = new HourlyStripView(forecast->hourly, settings, calendar);
            stack->addWidget(d.hourly);
        }
        d.daily = new DailyListView(forecast->daily, settings, calendar);
        stack->addWidget(d.daily);
        if (settings.showAlerts) {
            d.alerts = new AlertListView(forecast->alerts);
            stack->addWidget(d.alerts);
        }
    }
    stack->addStretch(1);
    d.scroll = new QScrollArea;
    d.scroll->setFrameShape(QFrame::NoFrame);
    d.scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    d.scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    d.scroll->setWidgetResizable(true);
    d.scroll->setWidget(d.column);
    return d;
}

} // namespace nimbra::preview

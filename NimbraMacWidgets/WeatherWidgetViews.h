#pragma once

#include "WeatherWidgetProvider.h"
#include "WidgetKitLayer.h"

#include "LocalCalendar.h"

#include <QWidget>

class QBoxLayout;

namespace nimbra {

// The widgets' dark background: a near-black base under a faint diagonal sheen.
void paintWidgetBackground(QPainter& painter, const QRectF& rect);

// The root of one widget: exactly its family's size, always dark, the background behind a padded column.
// `now` is the moment of drawing (today's label, the next sun event); the short constructors read the clock.
class WidgetSurface : public QWidget {
    Q_OBJECT
public:
    WidgetFamily family() const { return m_family; }
    // The card's column, inside its paddings.
    QBoxLayout* cardLayout() const { return m_card; }

protected:
    WidgetSurface(WidgetFamily family, double horizontalPadding, double verticalPadding, double spacing,
                  QWidget* parent);
    void paintEvent(QPaintEvent* event) override;

private:
    WidgetFamily m_family;
    QBoxLayout* m_card = nullptr;
};

class CurrentWeatherWidgetView : public WidgetSurface {
    Q_OBJECT
public:
    CurrentWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family, QWidget* parent = nullptr);
    CurrentWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family, const QDateTime& now,
                             const LocalCalendar& calendar, QWidget* parent = nullptr);
};

class HourlyWeatherWidgetView : public WidgetSurface {
    Q_OBJECT
public:
    HourlyWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family, QWidget* parent = nullptr);
    HourlyWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family,
                            const LocalCalendar& calendar, QWidget* parent = nullptr);
};

class TenDayWeatherWidgetView : public WidgetSurface {
    Q_OBJECT
public:
    TenDayWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family, QWidget* parent = nullptr);
    TenDayWeatherWidgetView(const WeatherWidgetEntry& entry, WidgetFamily family, const QDateTime& now,
                            const LocalCalendar& calendar, QWidget* parent = nullptr);
};

} // namespace nimbra

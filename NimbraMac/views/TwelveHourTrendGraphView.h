#pragma once

#include "CardWidget.h"
#include "TrendGraphViewModel.h"

#include <QAbstractButton>

namespace nimbra {

class FitLabel;
class WrapLabel;

// The plot: dashed grid, rain bars, the tinted area and line with markers, and the value labels on the left.
class TrendChartView : public QWidget {
    Q_OBJECT
public:
    explicit TrendChartView(const TrendViewModel& model, QWidget* parent = nullptr);
    // Another model of the same height and axis style: the plot and the value labels follow it.
    void setModel(const TrendViewModel& model);
    TrendChartGeometry chartGeometry() const;
    QList<FitLabel*> valueLabels() const { return m_valueLabels; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TrendViewModel m_model;
    QList<FitLabel*> m_valueLabels;
};

class TrendChipButton : public QAbstractButton {
    Q_OBJECT
public:
    TrendChipButton(const TrendChip& chip, const TextToken& style, QWidget* parent = nullptr);
    const TrendChip& chip() const { return m_chip; }
    void setChip(const TrendChip& chip);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TrendChip m_chip;
    TextToken m_style;
};

// The twelve-hour trend card. Its one piece of state is the selected metric, chosen with the chips.
class TwelveHourTrendGraphView : public CardWidget {
    Q_OBJECT
public:
    TwelveHourTrendGraphView(const QList<WeatherSample>& hourly, const WeatherSettings& settings,
                             TrendMetric selectedMetric = TrendMetric::temperature, double chartHeight = 108,
                             double axisSpacing = 7, const LocalCalendar& calendar = LocalCalendar::system(),
                             QWidget* parent = nullptr);

    // New hours or settings: the card's widgets show them in place where the card keeps its rows.
    void setForecast(const QList<WeatherSample>& hourly, const WeatherSettings& settings);
    TrendMetric selectedMetric() const { return m_metric; }
    void setSelectedMetric(TrendMetric metric);
    const TrendViewModel& model() const { return m_model; }
    TrendChartView* chart() const { return m_chart; }
    QList<TrendChipButton*> chips() const { return m_chips; }

Q_SIGNALS:
    void selectedMetricChanged(TrendMetric metric);

private:
    void rebuild();
    void buildContent();
    bool updateContent(const TrendViewModel& model);

    QList<WeatherSample> m_hourly;
    WeatherSettings m_settings;
    TrendMetric m_metric;
    double m_chartHeight;
    double m_axisSpacing;
    LocalCalendar m_calendar;
    TrendViewModel m_model;
    QWidget* m_content = nullptr;
    TrendChartView* m_chart = nullptr;
    FitLabel* m_range = nullptr;
    WrapLabel* m_empty = nullptr;
    QList<FitLabel*> m_hourLabels;
    QList<TrendChipButton*> m_chips;
};

} // namespace nimbra

#pragma once

#include "CardWidget.h"
#include "DailyListViewModel.h"

#include <QAbstractButton>
#include <QPointer>

class QVariantAnimation;
class QVBoxLayout;

namespace nimbra {

class FitLabel;
class SymbolView;
class WeatherConditionIcon;
class WrapLabel;

// Shows its one child (offset by an indent and a top gap) to the extent of its progress: 0 hides it, 1 shows
// it whole; in between it slides down from its top edge and fades in.
class RevealBox : public QWidget {
    Q_OBJECT
public:
    RevealBox(WrapLabel* content, double topGap, QWidget* parent = nullptr);
    void setProgress(double progress);
    double progress() const { return m_progress; }
    void setIndent(int indent);
    WrapLabel* content() const { return m_content; }
    // Shows another sentence, sized and placed as the box is open.
    void setText(const QString& text);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int fullHeight(int width) const;
    void place();

    WrapLabel* m_content;
    double m_topGap;
    int m_indent = 0;
    double m_progress = 0;
};

// One day: a button over the whole row that opens or closes the day's sentence below it.
class DailyRowButton : public QAbstractButton {
    Q_OBJECT
public:
    DailyRowButton(const DailyRow& row, const DailyListViewModel& model, QWidget* parent = nullptr);

    const DailyRow& row() const { return m_row; }
    // Shows another day in this row, opened or closed at once as that day is.
    void setRow(const DailyRow& row);
    void setExpanded(bool expanded, bool animated);
    bool isExpanded() const { return m_expanded; }
    void setColumnWidths(const DailyColumnWidths& widths);
    RevealBox* detail() const { return m_detail; }
    SymbolView* chevron() const { return m_chevron; }
    QList<FitLabel*> columnLabels() const { return {m_weekday, m_lowHigh, m_rain}; }
    WeatherConditionIcon* icon() const { return m_icon; }
    // Widest text of each column at full size.
    DailyColumnNeeds needs() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void apply(double progress);

    DailyRow m_row;
    bool m_expanded;
    double m_progress;
    FitLabel* m_weekday;
    WeatherConditionIcon* m_icon;
    FitLabel* m_lowHigh;
    FitLabel* m_rain;
    SymbolView* m_chevron;
    RevealBox* m_detail;
    QPointer<QVariantAnimation> m_animation;
};

// The ten-day section: its title and a card listing up to ten days. Its one piece of state is the set of
// expanded days, kept across new forecasts.
class DailyListView : public QWidget {
    Q_OBJECT
public:
    DailyListView(const QList<DailyForecast>& daily, const WeatherSettings& settings,
                  const LocalCalendar& calendar = LocalCalendar::system(), QWidget* parent = nullptr);

    // Shows the new days in the rows there are, when there are as many; builds the rows anew otherwise.
    void setForecast(const QList<DailyForecast>& daily, const WeatherSettings& settings);
    const QSet<QDateTime>& expandedDays() const { return m_expanded; }
    void toggle(const QDateTime& day);
    // Animations follow animations::enabled() at creation; tests and screenshots may switch them off.
    void setAnimated(bool animated) { m_animated = animated; }

    const DailyListViewModel& model() const { return m_model; }
    QList<DailyRowButton*> rows() const { return m_rows; }
    QList<QWidget*> dividers() const { return m_dividers; }
    CardWidget* card() const { return m_card; }
    DailyColumnWidths columnWidths() const { return m_widths; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The rows made anew from m_model.
    void rebuildRows();
    bool updateRows(const DailyListViewModel& model);
    void fitColumnsWhenShown();
    void layoutColumns();

    QList<DailyForecast> m_daily;
    WeatherSettings m_settings;
    LocalCalendar m_calendar;
    QSet<QDateTime> m_expanded;
    bool m_animated;
    DailyListViewModel m_model;
    DailyColumnWidths m_widths;
    CardWidget* m_card;
    QVBoxLayout* m_rowsLayout;
    QList<FitLabel*> m_header;
    QWidget* m_headerChevron;
    QList<DailyRowButton*> m_rows;
    QList<QWidget*> m_dividers;
    // The rows changed while hidden; their columns are fitted when the card is shown.
    bool m_columnsStale = false;
};

} // namespace nimbra

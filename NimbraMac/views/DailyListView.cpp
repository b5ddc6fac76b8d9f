#include "DailyListView.h"

#include "FitLabel.h"
#include "SectionLabel.h"
#include "SymbolView.h"
#include "ViewAnimations.h"
#include "ViewShapes.h"
#include "ViewTheme.h"
#include "WeatherConditionIcon.h"
#include "WrapLabel.h"

#include <QBoxLayout>
#include <QEvent>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace nimbra {

namespace {
constexpr int rowPaddingY = 8;
constexpr int detailGap = 8;
constexpr int headerBottomPadding = 7;
constexpr int toggleMilliseconds = 180;
} // namespace

RevealBox::RevealBox(WrapLabel* content, double topGap, QWidget* parent)
    : QWidget(parent), m_content(content), m_topGap(topGap) {
    m_content->setParent(this);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setVisible(false);
}

int RevealBox::fullHeight(int width) const {
    return int(std::ceil(m_topGap)) + m_content->heightForWidth(qMax(1, width - m_indent));
}

int RevealBox::heightForWidth(int width) const {
    return int(std::ceil(m_progress * fullHeight(width)));
}

QSize RevealBox::sizeHint() const {
    const int w = qMax(width(), m_indent + 100);
    return {w, heightForWidth(w)};
}

QSize RevealBox::minimumSizeHint() const {
    return {0, 0};
}

void RevealBox::setProgress(double progress) {
    m_progress = qBound(0.0, progress, 1.0);
    setVisible(m_progress > 0);
    m_content->setOpacity(m_progress);
    updateGeometry();
    place();
}

void RevealBox::setIndent(int indent) {
    m_indent = indent;
    updateGeometry();
    place();
}

void RevealBox::setText(const QString& text) {
    if (text == m_content->text())
        return;
    m_content->setText(text);
    // The sentence lies outside any layout: the box's height follows it.
    updateGeometry();
    place();
}

void RevealBox::place() {
    // Placing the sentence measures it: a closed or hidden box is placed once it is shown.
    if (!isVisible())
        return;
    const int full = fullHeight(width());
    // Slides down from the box's top edge as it opens.
    const int y = int(std::lround(m_topGap - (1 - m_progress) * full));
    m_content->setGeometry(m_indent, y, qMax(1, width() - m_indent), full - int(std::ceil(m_topGap)));
}

void RevealBox::resizeEvent(QResizeEvent*) {
    place();
}

void RevealBox::showEvent(QShowEvent*) {
    place();
}

DailyRowButton::DailyRowButton(const DailyRow& row, const DailyListViewModel& model, QWidget* parent)
    : QAbstractButton(parent), m_row(row), m_expanded(row.expanded), m_progress(row.expanded ? 1 : 0) {
    setAccessibleName(row.accessibilityLabel);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* summary = new QHBoxLayout;
    summary->setContentsMargins(0, rowPaddingY, 0, rowPaddingY);
    m_weekday = new FitLabel(row.weekday, model.weekdayStyle);
    summary->addWidget(m_weekday, 0, Qt::AlignVCenter);
    m_icon = new WeatherConditionIcon(row.condition, DailyListViewModel::iconSize);
    summary->addWidget(m_icon, 0, Qt::AlignVCenter);
    summary->addStretch(1);
    m_lowHigh = new FitLabel(row.lowHigh, model.lowHighStyle);
    m_lowHigh->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    summary->addWidget(m_lowHigh, 0, Qt::AlignVCenter);
    m_rain = new FitLabel(row.rain, model.rainStyle);
    m_rain->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    summary->addWidget(m_rain, 0, Qt::AlignVCenter);
    m_chevron = new SymbolView(QStringLiteral("chevron.down"), model.chevronFont.pixelSize,
                               model.chevronFont.weight, model.chevronTint);
    summary->addWidget(m_chevron, 0, Qt::AlignVCenter);
    column->addLayout(summary);

    m_detail = new RevealBox(new WrapLabel(row.detail, model.detailStyle), detailGap);
    column->addWidget(m_detail);

    setColumnWidths(DailyColumnWidths{});
    apply(m_progress);
}

DailyColumnNeeds DailyRowButton::needs() const {
    DailyColumnNeeds n;
    n.day = m_weekday->sizeHint().width();
    n.lowHigh = m_lowHigh->sizeHint().width();
    n.rain = m_rain->sizeHint().width();
    return n;
}

void DailyRowButton::setRow(const DailyRow& row) {
    m_row = row;
    setAccessibleName(row.accessibilityLabel);
    m_weekday->setText(row.weekday);
    m_icon->setCondition(row.condition);
    m_lowHigh->setText(row.lowHigh);
    m_rain->setText(row.rain);
    m_detail->setText(row.detail);
    setExpanded(row.expanded, false);
}

void DailyRowButton::setColumnWidths(const DailyColumnWidths& widths) {
    auto* summary = static_cast<QHBoxLayout*>(layout()->itemAt(0)->layout());
    summary->setSpacing(int(std::lround(widths.spacing)));
    m_weekday->setFixedWidth(int(std::lround(widths.day)));
    m_icon->setFrameSize(widths.icon, DailyListViewModel::iconSize);
    m_icon->setFixedWidth(int(std::lround(widths.icon)));
    m_lowHigh->setMinimumWidth(int(std::lround(widths.lowHigh)));
    m_rain->setFixedWidth(int(std::lround(widths.rain)));
    m_chevron->setFrame(widths.chevron, 0);
    m_chevron->setFixedWidth(int(std::lround(widths.chevron)));
    m_detail->setIndent(int(std::lround(widths.detailIndent())));
}

void DailyRowButton::apply(double progress) {
    m_progress = progress;
    m_detail->setProgress(progress);
    m_chevron->setRotation(180 * progress);
}

void DailyRowButton::setExpanded(bool expanded, bool animated) {
    if (expanded == m_expanded && !m_animation)
        return;
    m_expanded = expanded;
    m_row.expanded = expanded;
    m_row.chevronDegrees = expanded ? 180 : 0;
    if (m_animation)
        m_animation->stop();
    const double target = expanded ? 1 : 0;
    if (!animated) {
        apply(target);
        return;
    }
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(m_progress);
    animation->setEndValue(target);
    animation->setDuration(toggleMilliseconds);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& v) { apply(v.toDouble()); });
    m_animation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void DailyRowButton::paintEvent(QPaintEvent*) {
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::Highlight), 1.5);
    painter.setPen(pen);
    painter.drawPath(shapes::roundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4));
}

DailyListView::DailyListView(const QList<DailyForecast>& daily, const WeatherSettings& settings,
                             const LocalCalendar& calendar, QWidget* parent)
    : QWidget(parent), m_daily(daily), m_settings(settings), m_calendar(calendar),
      m_animated(animations::enabled()) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new SectionLabel(m_model.sectionTitle));

    m_card = new CardWidget;
    WeatherConditionIcon::markAsIconSurface(m_card);
    // The card fits its columns to its width itself; its designed width must not become a minimum that would
    // push it past a narrow popover.
    m_card->setMinimumWidth(1);
    m_card->installEventFilter(this);
    auto* cardColumn = new QVBoxLayout(m_card);
    cardColumn->setContentsMargins(12, 8, 12, 8);
    cardColumn->setSpacing(0);

    m_model = buildDailyListViewModel(m_daily, m_settings, m_expanded, m_calendar);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, headerBottomPadding);
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignRight};
    for (int i = 0; i < 4; ++i) {
        auto* label = new FitLabel(m_model.columnTitles.value(i), m_model.headerStyle,
                                   DailyListViewModel::headerMinimumScale);
        label->setAlignment(alignments[i] | Qt::AlignVCenter);
        m_header.append(label);
    }
    header->addWidget(m_header[0]);
    header->addWidget(m_header[1]);
    header->addStretch(1);
    header->addWidget(m_header[2]);
    header->addWidget(m_header[3]);
    // Keeps the columns in line with the rows' chevrons.
    m_headerChevron = new QWidget;
    header->addWidget(m_headerChevron);
    cardColumn->addLayout(header);
    cardColumn->addWidget(new DividerLine);

    m_rowsLayout = new QVBoxLayout;
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    cardColumn->addLayout(m_rowsLayout);
    column->addWidget(m_card);
    rebuildRows();
}

void DailyListView::setForecast(const QList<DailyForecast>& daily, const WeatherSettings& settings) {
    m_daily = daily;
    m_settings = settings;
    // Expanded dates are kept: a day that is still listed reopens expanded.
    DailyListViewModel model = buildDailyListViewModel(m_daily, m_settings, m_expanded, m_calendar);
    if (updateRows(model))
        return;
    m_model = std::move(model);
    rebuildRows();
}

bool DailyListView::updateRows(const DailyListViewModel& model) {
    if (model.rows.size() != m_rows.size())
        return false;
    for (qsizetype i = 0; i < model.rows.size(); ++i) {
        if (model.rows[i].showsDivider != m_model.rows[i].showsDivider)
            return false;
    }
    const bool same = model.rows == m_model.rows && model.columnTitles == m_model.columnTitles;
    m_model = model;
    if (same)
        return true;
    for (qsizetype i = 0; i < m_header.size(); ++i)
        m_header[i]->setText(m_model.columnTitles.value(i));
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        m_rows[i]->setRow(m_model.rows[i]);
    fitColumnsWhenShown();
    return true;
}

void DailyListView::toggle(const QDateTime& day) {
    m_expanded = toggledDays(m_expanded, day);
    m_model = buildDailyListViewModel(m_daily, m_settings, m_expanded, m_calendar);
    for (qsizetype i = 0; i < m_rows.size() && i < m_model.rows.size(); ++i)
        m_rows[i]->setExpanded(m_model.rows[i].expanded, m_animated);
}

void DailyListView::rebuildRows() {
    for (QWidget* w : std::as_const(m_rows))
        delete w;
    for (QWidget* w : std::as_const(m_dividers))
        delete w;
    m_rows.clear();
    m_dividers.clear();
    for (const DailyRow& row : m_model.rows) {
        auto* button = new DailyRowButton(row, m_model);
        // The row's day at the click: a new forecast may have put another day in the row.
        connect(button, &QAbstractButton::clicked, this, [this, button] { toggle(button->row().date); });
        m_rowsLayout->addWidget(button);
        m_rows.append(button);
        if (row.showsDivider) {
            auto* divider = new DividerLine;
            m_rowsLayout->addWidget(divider);
            m_dividers.append(divider);
        }
    }
    fitColumnsWhenShown();
}

void DailyListView::fitColumnsWhenShown() {
    // Fitting the columns measures every row's text: hidden, that waits until the card is shown.
    if (m_card->isVisible())
        layoutColumns();
    else
        m_columnsStale = true;
}

void DailyListView::layoutColumns() {
    m_columnsStale = false;
    const auto margins = m_card->layout()->contentsMargins();
    const double available = m_card->width() - margins.left() - margins.right();
    DailyColumnNeeds needs;
    needs.day = m_header[0]->minimumSizeHint().width();
    needs.icon = qMax(DailyListViewModel::iconSize, double(m_header[1]->minimumSizeHint().width()));
    needs.lowHigh = m_header[2]->minimumSizeHint().width();
    needs.rain = m_header[3]->minimumSizeHint().width();
    for (const DailyRowButton* row : std::as_const(m_rows)) {
        const DailyColumnNeeds n = row->needs();
        needs.day = qMax(needs.day, n.day);
        needs.lowHigh = qMax(needs.lowHigh, n.lowHigh);
        needs.rain = qMax(needs.rain, n.rain);
    }
    // Before the card has been laid out it is given its designed width.
    m_widths = dailyColumnWidths(m_card->width() > 1 ? available : DailyColumnWidths{}.total(), needs);
    auto* header =
        static_cast<QHBoxLayout*>(static_cast<QVBoxLayout*>(m_card->layout())->itemAt(0)->layout());
    header->setSpacing(int(std::lround(m_widths.spacing)));
    m_header[0]->setFixedWidth(int(std::lround(m_widths.day)));
    m_header[1]->setFixedWidth(int(std::lround(m_widths.icon)));
    m_header[2]->setMinimumWidth(int(std::lround(m_widths.lowHigh)));
    m_header[3]->setFixedWidth(int(std::lround(m_widths.rain)));
    m_headerChevron->setFixedWidth(int(std::lround(m_widths.chevron)));
    for (DailyRowButton* row : std::as_const(m_rows))
        row->setColumnWidths(m_widths);
}

bool DailyListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_card &&
        (event->type() == QEvent::Resize || (event->type() == QEvent::Show && m_columnsStale)))
        layoutColumns();
    return QWidget::eventFilter(watched, event);
}

} // namespace nimbra

#include "SettingsControls.h"

#include "SettingsForm.h"
#include "ViewTheme.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolButton>

#include <cmath>

namespace nimbra {

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const double radius = track.height() / 2;
    QColor fill =
        isChecked() ? theme::color(Tint::blue, palette()) : theme::color(Tint::primary, palette(), 0.18);
    if (!isEnabled())
        fill.setAlphaF(fill.alphaF() * 0.45f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);
    const double knob = track.height() - 4;
    const double x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(isEnabled() ? QColor(255, 255, 255) : QColor(200, 200, 200));
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(theme::color(Tint::blue, palette(), 0.6), 1.5));
        painter.drawRoundedRect(track.adjusted(-0.5, -0.5, 0.5, 0.5), radius, radius);
    }
}

SegmentedControl::SegmentedControl(const QStringList& titles, QWidget* parent)
    : QWidget(parent), m_titles(titles) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void SegmentedControl::setCurrentIndex(int index) {
    if (index == m_current)
        return;
    m_current = index;
    update();
}

int SegmentedControl::segmentWidth() const {
    const QFontMetrics metrics(theme::font(settingsstyle::row.font));
    int widest = 0;
    for (const QString& title : m_titles)
        widest = qMax(widest, metrics.horizontalAdvance(title));
    return widest + 24;
}

QSize SegmentedControl::sizeHint() const {
    return {segmentWidth() * int(m_titles.size()) + 4, 24};
}

QRect SegmentedControl::segmentRect(int index) const {
    const int w = (width() - 4) / qMax(1, int(m_titles.size()));
    return {2 + index * w, 2, w, height() - 4};
}

void SegmentedControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme::color(Tint::primary, palette(), 0.10));
    painter.drawRoundedRect(QRectF(rect()), 6, 6);
    painter.setFont(theme::font(settingsstyle::row.font));
    for (int i = 0; i < m_titles.size(); ++i) {
        const QRect box = segmentRect(i);
        if (i == m_current) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(theme::color(Tint::primary, palette(), 0.24));
            painter.drawRoundedRect(QRectF(box), 5, 5);
        }
        painter.setPen(theme::color(i == m_current ? Tint::primary : Tint::secondary, palette()));
        painter.drawText(box, Qt::AlignCenter, m_titles[i]);
    }
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(theme::color(Tint::blue, palette(), 0.6), 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 6, 6);
    }
}

void SegmentedControl::mousePressEvent(QMouseEvent* event) {
    for (int i = 0; i < m_titles.size(); ++i) {
        if (segmentRect(i).contains(event->position().toPoint())) {
            setCurrentIndex(i);
            Q_EMIT activated(i);
            return;
        }
    }
}

void SegmentedControl::keyPressEvent(QKeyEvent* event) {
    const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    const int next = m_current + step;
    if (step == 0 || next < 0 || next >= m_titles.size()) {
        QWidget::keyPressEvent(event);
        return;
    }
    setCurrentIndex(next);
    Q_EMIT activated(next);
}

StepperButtons::StepperButtons(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    m_down = new QToolButton;
    m_down->setText(QStringLiteral("\u2212"));
    m_down->setAccessibleName(tr("Decrement"));
    m_up = new QToolButton;
    m_up->setText(QStringLiteral("+"));
    m_up->setAccessibleName(tr("Increment"));
    for (QToolButton* b : {m_down, m_up}) {
        b->setFixedSize(24, 22);
        row->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, &StepperButtons::incremented);
    connect(m_down, &QToolButton::clicked, this, &StepperButtons::decremented);
}

void StepperButtons::setCanStep(bool up, bool down) {
    m_up->setEnabled(up);
    m_down->setEnabled(down);
}

ActivityIndicator::ActivityIndicator(int edge, QWidget* parent)
    : QWidget(parent), m_edge(edge), m_timer(new QTimer(this)) {
    setFixedSize(edge, edge);
    m_timer->setInterval(80);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % 12;
        update();
    });
}

void ActivityIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const double outer = m_edge / 2.0 - 0.5;
    const double inner = outer * 0.45;
    for (int i = 0; i < 12; ++i) {
        // The spoke at the turning head is strongest; the ones behind it fade.
        const int age = (m_step - i + 12) % 12;
        QColor c = theme::color(Tint::primary, palette(), 0.15 + 0.75 * (1.0 - age / 12.0));
        painter.setPen(QPen(c, qMax(1.2, m_edge / 10.0), Qt::SolidLine, Qt::RoundCap));
        const double a = i * M_PI / 6;
        painter.drawLine(centre + QPointF(std::sin(a), -std::cos(a)) * inner,
                         centre + QPointF(std::sin(a), -std::cos(a)) * outer);
    }
}

void ActivityIndicator::showEvent(QShowEvent* event) {
    m_timer->start();
    QWidget::showEvent(event);
}

void ActivityIndicator::hideEvent(QHideEvent* event) {
    m_timer->stop();
    QWidget::hideEvent(event);
}

} // namespace nimbra

#include "PopoverWindow.h"

#include "AppLog.h"
#include "MacDashboardView.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

namespace nimbra {

PopoverWindow::PopoverWindow(Mode mode, QWidget* parent) : QWidget(parent), m_mode(mode) {
    new QVBoxLayout(this);
    setWindowTitle(MacDashboardView::titleText);
    setMode(mode);
    // Consumed here: the focused control never sees the key.
    auto* settings = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), this);
    settings->setContext(Qt::WindowShortcut);
    connect(settings, &QShortcut::activated, this, &PopoverWindow::settingsShortcut);
}

void PopoverWindow::setMode(Mode mode) {
    const bool changed = mode != m_mode;
    m_mode = mode;
    const bool wasVisible = isVisible();
    if (changed && testAttribute(Qt::WA_WState_Created)) {
        // The native window keeps the frame extents a window manager gave it as a window; a popup placed
        // through it afterwards would land that far off (its title bar's height low, its border's width
        // right). A new native window starts without them.
        hide();
        destroy();
    }
    // A frameless popup draws its own thin edge (paintEvent), so it stands apart from a window of the same
    // colour below.
    const int edge = mode == Mode::popup ? 1 : 0;
    layout()->setContentsMargins(edge, edge, edge, edge);
    // The one background of the whole dashboard: the widgets inside are transparent, so the first paint
    // fills the window once, a plain rectangle, instead of filling around opaque children row by row.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    if (mode == Mode::popup)
        setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    else
        setWindowFlags(Qt::Window);
    if (wasVisible)
        show();
}

void PopoverWindow::setContent(QWidget* content) {
    m_content = content;
    layout()->addWidget(content);
}

std::optional<qint64> PopoverWindow::msSinceShown() const {
    return m_shown.isValid() ? std::optional<qint64>(m_shown.elapsed()) : std::nullopt;
}

std::optional<qint64> PopoverWindow::msSinceHidden() const {
    return m_hidden.isValid() ? std::optional<qint64>(m_hidden.elapsed()) : std::nullopt;
}

void PopoverWindow::mousePressEvent(QMouseEvent* event) {
    qCDebug(appLog()) << "popover press at" << event->globalPosition() << "anchor"
                      << m_anchor.value_or(QRect()) << "since shown" << msSinceShown().value_or(-1);
    if (m_mode == Mode::popup && !rect().contains(event->position().toPoint()) && m_anchor &&
        m_anchor->contains(event->globalPosition().toPoint())) {
        // The second press of a double click on the icon: the popup just opened from the first, keep it.
        const auto shown = msSinceShown();
        if (shown && *shown < QApplication::doubleClickInterval()) {
            event->accept();
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void PopoverWindow::paintEvent(QPaintEvent*) {
    if (m_mode != Mode::popup)
        return;
    // Four filled strips rather than an outlined rectangle: see DividerLine.
    QPainter painter(this);
    const QColor edge = palette().color(QPalette::Mid);
    const QRect r = rect();
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), edge);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), edge);
    painter.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), edge);
    painter.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), edge);
}

void PopoverWindow::showEvent(QShowEvent* event) {
    m_shown.start();
    QWidget::showEvent(event);
}

void PopoverWindow::hideEvent(QHideEvent* event) {
    m_hidden.start();
    QWidget::hideEvent(event);
    Q_EMIT hidden();
}

void PopoverWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // A popup also closes on a click outside it; only a window's close is the user's choice.
    if (event->isAccepted() && m_mode == Mode::window)
        Q_EMIT closedByUser();
}

} // namespace nimbra

#include "PopoverWindow.h"

#include "AppLog.h"
#include "MacDashboardView.h"
#include "MemoryPages.h"
#include "TurnSteps.h"

#include <QApplication>
#include <QBackingStore>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QWindow>

namespace nimbra {

namespace {

// Qt fills large areas on a pool of threads, started by the first such fill: here rather than in the
// window's first paint. Tall enough for the pool to use every thread it has.
void startPaintingThreads() {
    QImage image(8, 1024, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(image.rect()), 3, 3);
    painter.fillPath(path, QColor(128, 128, 128, 128));
}

} // namespace

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

QList<std::function<void()>> PopoverWindow::firstShowingSteps() {
    return {[this] { (void)winId(); }, [this] { prepareBackingStore(); },
            [this] {
                // Showing sets the window's cursor, loading the cursor theme the first time.
                if (QWindow* window = windowHandle())
                    window->setCursor(cursor());
            },
            TurnSteps::nextTurn(), startPaintingThreads};
}

void PopoverWindow::prepareBackingStore() {
    // X11's backing store has its memory once sized; elsewhere it appears only with the first paint.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    QBackingStore* store = backingStore();
    if (!store)
        return;
    if (store->size() != size())
        store->resize(size());
    const QPaintDevice* device = store->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return;
    const auto* image = static_cast<const QImage*>(device);
    // Fresh shared memory costs a page fault per page at its first touch: taken now.
    prefaultPages(image->constBits(), std::size_t(image->sizeInBytes()));
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

#include "WidgetWindow.h"

#include "X11WindowHints.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainterPath>
#include <QRegion>
#include <QShowEvent>

namespace nimbra {

QString widgetFamilyTitle(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::systemSmall:
        return QCoreApplication::translate("nimbra::WidgetWindow", "Small");
    case WidgetFamily::systemMedium:
        return QCoreApplication::translate("nimbra::WidgetWindow", "Medium");
    case WidgetFamily::systemLarge:
        return QCoreApplication::translate("nimbra::WidgetWindow", "Large");
    }
    return {};
}

Qt::WindowFlags WidgetWindow::desktopFlags() {
    // A tool window has no taskbar entry; staying on the bottom keeps it under the user's windows.
    return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint | Qt::WindowDoesNotAcceptFocus;
}

WidgetWindow::WidgetWindow(const WidgetDescriptor& descriptor, WidgetFamily family, QWidget* parent)
    : QWidget(parent, parent ? Qt::Widget : desktopFlags()), m_descriptor(descriptor), m_family(family) {
    setWindowTitle(descriptor.displayName);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFamily(family);
    if (!parent) {
        skipTaskbarAndPager(this);
        showOnAllWorkspaces(this);
    }
}

void WidgetWindow::setFamily(WidgetFamily family) {
    m_family = family;
    const QSize size = widgetFamilySize(family);
    setFixedSize(size);
    // Rounded like the card it shows; a mask needs no compositor.
    QPainterPath outline;
    outline.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), cornerRadius, cornerRadius);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
    rebuild();
}

void WidgetWindow::setEntry(const WeatherWidgetEntry& entry) {
    m_entry = entry;
    rebuild();
}

void WidgetWindow::rebuild() {
    if (!m_entry || !m_descriptor.rootView)
        return;
    // Views are plain values of their entry: a new entry gets a new view.
    delete m_view;
    m_view = m_descriptor.rootView(*m_entry, m_family, this);
    m_view->setGeometry(rect());
    // The window is dragged and its menu opened wherever the view is clicked.
    m_view->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_view->show();
}

void WidgetWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Asked again once mapped: a window manager may have put it on the current workspace only.
    if (isWindow() && !event->spontaneous())
        showOnAllWorkspaces(this);
}

void WidgetWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isWindow())
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QWidget::mousePressEvent(event);
}

void WidgetWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragOffset && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - *m_dragOffset);
    QWidget::mouseMoveEvent(event);
}

void WidgetWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && std::exchange(m_dragOffset, std::nullopt))
        Q_EMIT moved(pos());
    QWidget::mouseReleaseEvent(event);
}

void WidgetWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QMenu* sizes = menu.addMenu(tr("Size"));
    for (const WidgetFamily family : m_descriptor.families) {
        QAction* action = sizes->addAction(widgetFamilyTitle(family));
        action->setCheckable(true);
        action->setChecked(family == m_family);
        connect(action, &QAction::triggered, this, [this, family] {
            if (family != m_family)
                Q_EMIT familyRequested(family);
        });
    }
    menu.addAction(tr("Add Widget…"), this, &WidgetWindow::addRequested);
    menu.addSeparator();
    menu.addAction(tr("Remove Widget"), this, &WidgetWindow::removeRequested);
    menu.exec(event->globalPos());
}

} // namespace nimbra

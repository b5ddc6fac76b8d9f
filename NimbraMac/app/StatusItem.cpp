#include "StatusItem.h"

#include "TrayIconEngine.h"

#include <QMenu>

namespace nimbra {
namespace {

TrayClickFilter::Click clickOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayClickFilter::Click::primary;
    case QSystemTrayIcon::DoubleClick:
        return TrayClickFilter::Click::doubleClick;
    case QSystemTrayIcon::MiddleClick:
        return TrayClickFilter::Click::middle;
    case QSystemTrayIcon::Context:
    case QSystemTrayIcon::Unknown:
        break;
    }
    return TrayClickFilter::Click::context;
}

} // namespace

StatusItem::StatusItem(QMenu* contextMenu, QObject* parent)
    : QObject(parent), m_icon(std::make_unique<QSystemTrayIcon>()) {
    m_icon->setContextMenu(contextMenu);
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { Q_EMIT clicked(clickOf(reason)); });
}

StatusItem::~StatusItem() = default;

void StatusItem::paint(const StatusItemModel& model) {
    if (m_painted && model == m_model)
        return;
    const bool iconChanged =
        !m_painted || model.condition != m_model.condition || model.iconText != m_model.iconText;
    m_model = model;
    m_painted = true;
    if (iconChanged)
        m_icon->setIcon(QIcon(new TrayIconEngine(model)));
    m_icon->setToolTip(model.tooltip);
    if (!m_icon->isVisible())
        m_icon->show();
}

std::optional<QRect> StatusItem::geometry() const {
    const QRect rect = m_icon->geometry();
    return rect.isValid() && !rect.isEmpty() ? std::optional<QRect>(rect) : std::nullopt;
}

QIcon StatusItem::icon() const {
    return m_icon->icon();
}

bool StatusItem::isVisible() const {
    return m_icon->isVisible();
}

} // namespace nimbra

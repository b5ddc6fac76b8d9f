#pragma once

#include "StatusItemModel.h"
#include "TrayClickFilter.h"

#include <QIcon>
#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>

#include <memory>
#include <optional>

class QMenu;

namespace nimbra {

// The application's face in the panel: a tray icon with the condition and temperature drawn in and the title
// in its tooltip. The context menu stays attached, so the tray host shows it on a right click by itself.
class StatusItem : public QObject {
    Q_OBJECT
public:
    explicit StatusItem(QMenu* contextMenu, QObject* parent = nullptr);
    ~StatusItem() override;

    void paint(const StatusItemModel& model);
    const StatusItemModel& model() const { return m_model; }
    // Where the icon is on screen, when the tray host says.
    std::optional<QRect> geometry() const;
    bool isVisible() const;
    // Painted for each size only when the tray host asks for it.
    QIcon icon() const;

Q_SIGNALS:
    void clicked(TrayClickFilter::Click click);

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
    StatusItemModel m_model;
    bool m_painted = false;
};

} // namespace nimbra

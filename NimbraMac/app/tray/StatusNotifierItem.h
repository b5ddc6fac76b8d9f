#pragma once

#include "StatusItemModel.h"
#include "StatusNotifierTypes.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

class QMenu;

namespace nimbra {

class DBusMenuExporter;

// The tray item as the D-Bus tray protocol has it (org.kde.StatusNotifierItem): the panel reads the picture,
// tooltip and text label from our properties, draws the exported menu and calls us back on clicks. Only the
// members marked scriptable are on the bus. Pictures are painted when the panel first reads them.
class StatusNotifierItem : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ noName)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QString IconName READ noName)
    Q_PROPERTY(nimbra::SniIconPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(nimbra::SniIconPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(nimbra::SniIconPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(nimbra::SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)
public:
    static inline const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
    static inline const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
    static inline const QString objectPath = QStringLiteral("/StatusNotifierItem");
    static inline const QString menuPath = QStringLiteral("/MenuBar");
    // After a registration the watcher is asked whether it lists the item, this long after it (a panel may
    // accept an item and then fail to show it); an item it does not list registers again, this many times.
    static constexpr int confirmDelayMs = 1500;
    static constexpr int maxRegistrations = 5;

    StatusNotifierItem(QMenu* menu, QDBusConnection bus, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // Puts the item on the bus (the first time) and registers it with the watcher that owns the name now.
    // The answer comes as registrationFinished; a watcher that then does not list the item is asked again.
    void registerWithWatcher();
    // Whether a watcher's RegisteredStatusNotifierItems names this item: by its bus name or its connection's
    // unique name, alone or followed by the object path, as watchers spell it.
    static bool listsItem(const QStringList& registered, const QStringList& names);
    // Takes the new model and announces what changed.
    void paint(const StatusItemModel& model);

    QString serviceName() const { return m_serviceName; }
    DBusMenuExporter* menuExporter() const { return m_menuExporter; }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("nimbra"); }
    QString title() const { return QStringLiteral("Nimbra"); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString noName() const { return {}; }
    QDBusObjectPath menu() const { return QDBusObjectPath(menuPath); }
    bool itemIsMenu() const { return false; }
    SniIconPixmaps iconPixmap() const;
    SniIconPixmaps noPixmaps() const { return {}; }
    SniToolTip toolTip() const;
    QString label() const { return m_model.title; }
    QString labelGuide() const { return m_model.labelGuide; }

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString& orientation);

Q_SIGNALS:
    Q_SCRIPTABLE void NewTitle();
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewAttentionIcon();
    Q_SCRIPTABLE void NewOverlayIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewStatus(const QString& status);
    Q_SCRIPTABLE void XAyatanaNewLabel(const QString& label, const QString& guide);

    // A click on the item at the point the panel gives; (0, 0) when it does not know. A type D-Bus can
    // carry, as Qt relays every signal of an exported object before it drops the unscriptable ones.
    void activated(QPoint at);
    void registrationFinished(bool registered);

private:
    bool publish();
    void sendRegistration();
    // Reads the watcher's list of items and registers again when this one is not on it.
    void confirmRegistration();

    QPointer<QMenu> m_contextMenu;
    QDBusConnection m_bus;
    QString m_serviceName;
    DBusMenuExporter* m_menuExporter;
    StatusItemModel m_model;
    bool m_published = false;
    // Registrations sent to the watcher that owns the name now.
    int m_registrations = 0;
    QTimer m_confirm;
    // Painted on the first read after each new picture.
    mutable std::optional<SniIconPixmaps> m_pixmaps;
};

} // namespace nimbra

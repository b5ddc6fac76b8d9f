#pragma once

#include "StatusNotifierTypes.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QAction;
class QMenu;

namespace nimbra {

// A flat QMenu published as com.canonical.dbusmenu, so a panel can draw the tray item's menu itself. Items
// are numbered from 1 in menu order under the root 0; any change to the menu's actions is a new layout
// revision. Only what hosts ask for is here: the layout, item properties, clicks and the about-to-show calls.
class DBusMenuExporter : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    explicit DBusMenuExporter(QMenu* menu, QObject* parent = nullptr);

    // Registers the menu at `path`; false (and a warning) when the path is taken.
    bool publish(QDBusConnection bus, const QString& path);

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }
    uint revision() const { return m_revision; }

    // An action's key sequence as dbusmenu spells it.
    static DBusMenuShortcut shortcut(const QKeySequence& sequence);

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   nimbra::DBusMenuLayoutItem& layout);
    nimbra::DBusMenuItemPropertiesList GetGroupProperties(const QList<int>& ids,
                                                          const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    // Parameter types spelled out: Qt D-Bus looks them up by the name written here, and knows no aliases.
    QList<int> EventGroup(const QList<nimbra::DBusMenuEvent>& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

Q_SIGNALS:
    void LayoutUpdated(uint revision, int parent);
    void ItemsPropertiesUpdated(const QList<nimbra::DBusMenuItemProperties>& updatedProps,
                                const QList<nimbra::DBusMenuRemovedProperties>& removedProps);
    void ItemActivationRequested(int id, uint timestamp);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* action(int id) const;
    bool isKnown(int id) const { return id == 0 || action(id); }
    QVariantMap properties(int id, const QStringList& names) const;
    // Clicks an item; false for an unknown id.
    bool handleEvent(int id, const QString& eventId);
    void failUnknown(int id);

    QPointer<QMenu> m_menu;
    uint m_revision = 1;
    // A menu rebuilt action by action announces one new layout.
    QTimer m_layoutChange;
};

} // namespace nimbra

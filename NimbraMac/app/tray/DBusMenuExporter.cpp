#include "DBusMenuExporter.h"

#include "AppLog.h"

#include <QAction>
#include <QDBusMessage>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>

namespace nimbra {
namespace {

// dbusmenu marks the mnemonic with '_' where Qt uses '&'.
QString dbusLabel(QString text) {
    text.replace(QLatin1Char('_'), QStringLiteral("__"));
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.replace(QLatin1Char('&'), QLatin1Char('_'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

// Punctuation by its X key name, as GTK panels parse it ("+" and "-" would also read as separators).
QString keyName(Qt::Key key) {
    switch (key) {
    case Qt::Key_Plus:
        return QStringLiteral("plus");
    case Qt::Key_Minus:
        return QStringLiteral("minus");
    case Qt::Key_Comma:
        return QStringLiteral("comma");
    case Qt::Key_Period:
        return QStringLiteral("period");
    default:
        return QKeySequence(key).toString(QKeySequence::PortableText);
    }
}

QVariantMap filtered(QVariantMap all, const QStringList& names) {
    if (names.isEmpty())
        return all;
    for (auto it = all.begin(); it != all.end();)
        it = names.contains(it.key()) ? std::next(it) : all.erase(it);
    return all;
}

} // namespace

DBusMenuExporter::DBusMenuExporter(QMenu* menu, QObject* parent) : QObject(parent), m_menu(menu) {
    registerStatusNotifierTypes();
    m_layoutChange.setSingleShot(true);
    m_layoutChange.setInterval(0);
    connect(&m_layoutChange, &QTimer::timeout, this, [this] { Q_EMIT LayoutUpdated(++m_revision, 0); });
    if (m_menu)
        m_menu->installEventFilter(this);
}

bool DBusMenuExporter::publish(QDBusConnection bus, const QString& path) {
    if (bus.registerObject(path, this,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                               QDBusConnection::ExportAllProperties))
        return true;
    qCWarning(appLog()) << "Cannot publish the tray menu at" << path << ":" << bus.lastError().message();
    return false;
}

QString DBusMenuExporter::textDirection() const {
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                 : QStringLiteral("ltr");
}

DBusMenuShortcut DBusMenuExporter::shortcut(const QKeySequence& sequence) {
    DBusMenuShortcut chords;
    for (int i = 0; i < sequence.count(); ++i) {
        const QKeyCombination combination = sequence[i];
        QStringList chord;
        const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
        if (modifiers & Qt::ControlModifier)
            chord << QStringLiteral("Control");
        if (modifiers & Qt::AltModifier)
            chord << QStringLiteral("Alt");
        if (modifiers & Qt::ShiftModifier)
            chord << QStringLiteral("Shift");
        if (modifiers & Qt::MetaModifier)
            chord << QStringLiteral("Super");
        chord << keyName(combination.key());
        chords << chord;
    }
    return chords;
}

QAction* DBusMenuExporter::action(int id) const {
    if (!m_menu || id < 1)
        return nullptr;
    const QList<QAction*> actions = m_menu->actions();
    return id <= actions.size() ? actions.at(id - 1) : nullptr;
}

QVariantMap DBusMenuExporter::properties(int id, const QStringList& names) const {
    QVariantMap all;
    if (id == 0) {
        all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
        return filtered(all, names);
    }
    const QAction* item = action(id);
    if (!item)
        return {};
    // Properties at their default values are left out, as the protocol asks.
    if (!item->isVisible())
        all.insert(QStringLiteral("visible"), false);
    if (item->isSeparator()) {
        all.insert(QStringLiteral("type"), QStringLiteral("separator"));
        return filtered(all, names);
    }
    all.insert(QStringLiteral("label"), dbusLabel(item->text()));
    if (!item->isEnabled())
        all.insert(QStringLiteral("enabled"), false);
    if (!item->shortcut().isEmpty())
        all.insert(QStringLiteral("shortcut"), QVariant::fromValue(shortcut(item->shortcut())));
    if (item->isCheckable()) {
        all.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
        all.insert(QStringLiteral("toggle-state"), item->isChecked() ? 1 : 0);
    }
    return filtered(all, names);
}

void DBusMenuExporter::failUnknown(int id) {
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu item %1").arg(id));
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                 DBusMenuLayoutItem& layout) {
    if (!isKnown(parentId)) {
        failUnknown(parentId);
        return m_revision;
    }
    layout = DBusMenuLayoutItem{parentId, properties(parentId, propertyNames), {}};
    // The menu is flat: only the root has children, and a depth of 0 asks for none.
    if (parentId == 0 && recursionDepth != 0 && m_menu) {
        for (int id = 1; id <= m_menu->actions().size(); ++id)
            layout.children.append(DBusMenuLayoutItem{id, properties(id, propertyNames), {}});
    }
    return m_revision;
}

DBusMenuItemPropertiesList DBusMenuExporter::GetGroupProperties(const QList<int>& ids,
                                                                const QStringList& propertyNames) {
    QList<int> wanted = ids;
    // No ids: every item.
    if (wanted.isEmpty() && m_menu) {
        for (int id = 0; id <= m_menu->actions().size(); ++id)
            wanted.append(id);
    }
    DBusMenuItemPropertiesList result;
    for (const int id : wanted) {
        if (isKnown(id))
            result.append(DBusMenuItemProperties{id, properties(id, propertyNames)});
    }
    return result;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name) {
    if (!isKnown(id)) {
        failUnknown(id);
        return {};
    }
    const QVariantMap all = properties(id, {name});
    if (!all.contains(name)) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs,
                           QStringLiteral("Menu item %1 has no %2").arg(id).arg(name));
        return {};
    }
    return QDBusVariant(all.value(name));
}

bool DBusMenuExporter::handleEvent(int id, const QString& eventId) {
    if (!isKnown(id))
        return false;
    QAction* item = action(id);
    if (eventId == QLatin1String("clicked") && item && item->isEnabled() && !item->isSeparator()) {
        // After the reply: the action may open a dialog with a loop of its own, or quit.
        QTimer::singleShot(0, item, &QAction::trigger);
    }
    return true;
}

void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    if (!handleEvent(id, eventId))
        failUnknown(id);
}

QList<int> DBusMenuExporter::EventGroup(const QList<DBusMenuEvent>& events) {
    QList<int> idErrors;
    for (const DBusMenuEvent& event : events) {
        if (!handleEvent(event.id, event.eventId))
            idErrors.append(event.id);
    }
    return idErrors;
}

bool DBusMenuExporter::AboutToShow(int id) {
    if (!isKnown(id))
        failUnknown(id);
    // The layout is always current: LayoutUpdated went out with every change.
    return false;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    idErrors.clear();
    for (const int id : ids) {
        if (!isKnown(id))
            idErrors.append(id);
    }
    return {};
}

bool DBusMenuExporter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
    case QEvent::ActionChanged:
        m_layoutChange.start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace nimbra

#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace nimbra {

// The records the status notifier and menu protocols send over D-Bus, with their wire signatures.

// (iiay): one picture of the item, its pixels ARGB32 with each pixel in network byte order.
struct SniIconPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;

    bool operator==(const SniIconPixmap&) const = default;
};
using SniIconPixmaps = QList<SniIconPixmap>;

// (sa(iiay)ss)
struct SniToolTip {
    QString iconName;
    SniIconPixmaps iconPixmaps;
    QString title;
    QString description;

    bool operator==(const SniToolTip&) const = default;
};

// (ia{sv}av): a menu entry with its children, each child wrapped in a variant.
struct DBusMenuLayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};

// (ia{sv})
struct DBusMenuItemProperties {
    int id = 0;
    QVariantMap properties;

    bool operator==(const DBusMenuItemProperties&) const = default;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;

// (ias)
struct DBusMenuRemovedProperties {
    int id = 0;
    QStringList names;

    bool operator==(const DBusMenuRemovedProperties&) const = default;
};
using DBusMenuRemovedPropertiesList = QList<DBusMenuRemovedProperties>;

// (isvu)
struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuEvents = QList<DBusMenuEvent>;

// aas: a key sequence as dbusmenu spells it, e.g. {{"Control", "R"}}.
using DBusMenuShortcut = QList<QStringList>;

// The picture as the protocol wants it: converted to straight (not premultiplied) alpha, one big-endian
// 0xAARRGGBB word per pixel.
SniIconPixmap sniIconPixmap(const QImage& image);

// Makes the records known to Qt D-Bus; needed once before any of them is sent or received.
void registerStatusNotifierTypes();

QDBusArgument& operator<<(QDBusArgument& argument, const SniIconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniIconPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const SniToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniToolTip& toolTip);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuRemovedProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuRemovedProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event);

} // namespace nimbra

Q_DECLARE_METATYPE(nimbra::SniIconPixmap)
Q_DECLARE_METATYPE(nimbra::SniToolTip)
Q_DECLARE_METATYPE(nimbra::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(nimbra::DBusMenuItemProperties)
Q_DECLARE_METATYPE(nimbra::DBusMenuRemovedProperties)
Q_DECLARE_METATYPE(nimbra::DBusMenuEvent)

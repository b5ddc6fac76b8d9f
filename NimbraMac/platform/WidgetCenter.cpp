#include "WidgetCenter.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>

namespace nimbra {
namespace {

void announce(const char* name, const QVariantList& arguments) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage message = QDBusMessage::createSignal(WidgetCenterDBus::objectPath(),
                                                      WidgetCenterDBus::interfaceName(), QLatin1String(name));
    message.setArguments(arguments);
    bus.send(message);
}

} // namespace

std::shared_ptr<WidgetCenter> WidgetCenter::makeDefault() {
    return std::make_shared<WidgetCenterDBus>();
}

QString WidgetCenterDBus::objectPath() {
    // "com.tarnwick.Nimbra" → "/com/tarnwick/Nimbra/WidgetCenter"; characters a path may not hold become "_".
    QString path;
    for (const QString& part : QStringLiteral(NIMBRA_APP_IDENTIFIER).split(u'.', Qt::SkipEmptyParts)) {
        path += u'/';
        for (const QChar c : part)
            path += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'_' ? c : QChar(u'_');
    }
    return path + QStringLiteral("/WidgetCenter");
}

QString WidgetCenterDBus::interfaceName() {
    return QStringLiteral(NIMBRA_APP_IDENTIFIER ".WidgetCenter");
}

void WidgetCenterDBus::reloadAllTimelines() {
    announce(reloadAllSignal, {});
}

void WidgetCenterDBus::reloadTimelines(const QString& kind) {
    announce(reloadKindSignal, {kind});
}

QStringList WidgetCenterRecorder::kinds() const {
    QStringList out;
    for (const Request& request : m_requests)
        out.append(request.kind.isEmpty() ? QStringLiteral("*") : request.kind);
    return out;
}

} // namespace nimbra

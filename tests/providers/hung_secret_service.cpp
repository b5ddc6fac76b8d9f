// A Secret Service that hangs: owns org.freedesktop.secrets on the session bus and answers no call, so every
// caller waits out its D-Bus time-out, as with a daemon that is stuck or waiting at an unlock prompt. Prints
// "ready" once the name is owned.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusVirtualObject>

#include <cstdio>

namespace {

class Silent final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    // Taken and never answered.
    bool handleMessage(const QDBusMessage&, const QDBusConnection&) override { return true; }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    Silent silent;
    if (!bus.registerVirtualObject(QStringLiteral("/"), &silent, QDBusConnection::SubPath) ||
        !bus.registerService(QStringLiteral("org.freedesktop.secrets"))) {
        std::fprintf(stderr, "cannot own org.freedesktop.secrets: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#pragma once

#include <QDBusConnection>
#include <QObject>

namespace nimbra {

// One running Nimbra per user: the first start owns the session bus name and answers Activate; a later
// start asks it to show its dashboard, handing over the token its launcher gave it so the window system
// lets the running one take the focus, and ends. Without a session bus every start runs on its own.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.tarnwick.Nimbra.Application")
public:
    static inline const QString serviceName = QStringLiteral("com.tarnwick.Nimbra");
    static inline const QString objectPath = QStringLiteral("/com/tarnwick/Nimbra");
    static inline const QString interfaceName = QStringLiteral("com.tarnwick.Nimbra.Application");

    enum class Outcome {
        // This process owns the name: run.
        primary,
        // Another process owns it and was asked to show its dashboard: end.
        handedOver,
        // No session bus, or it refused: run without the guard.
        unguarded,
    };

    explicit SingleInstance(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    Outcome claim();

    // The focus token this process was started with: XDG_ACTIVATION_TOKEN (Wayland), else
    // DESKTOP_STARTUP_ID (X11 startup notification); empty when it has none.
    static QString activationTokenFromEnvironment();

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(const QString& activationToken);
    // What starts from before tokens were passed call.
    Q_SCRIPTABLE void ShowDashboard();

Q_SIGNALS:
    void showRequested(const QString& activationToken);

private:
    QDBusConnection m_bus;
};

} // namespace nimbra

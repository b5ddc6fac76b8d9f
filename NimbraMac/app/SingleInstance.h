#pragma once

#include <QObject>

namespace nimbra {

// One running Nimbra per user: the first start owns the session bus name and answers ShowDashboard; a later
// start asks it to show its dashboard and ends. Without a session bus every start runs on its own.
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

    explicit SingleInstance(QObject* parent = nullptr);
    Outcome claim();

public Q_SLOTS:
    Q_SCRIPTABLE void ShowDashboard();

Q_SIGNALS:
    void showRequested();
};

} // namespace nimbra

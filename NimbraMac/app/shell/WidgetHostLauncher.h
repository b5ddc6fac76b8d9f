#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

namespace nimbra {

// Starts the widget host beside the application unless one already runs in this session, so the widgets are
// on the desktop whenever Nimbra is.
class WidgetHostLauncher {
public:
    static inline const QString programName = QStringLiteral("nimbra-widgets");
    // The name the running host owns on the session bus.
    static inline const QString busName = QStringLiteral(NIMBRA_APP_IDENTIFIER ".Widgets");

    enum class Outcome { started, alreadyRunning, notFound, failed };

    // Whether a host runs in this session; without a bus nobody can tell, and the host guards itself.
    using HostRunning = std::function<bool()>;
    using Start = std::function<bool(const QString& program)>;

    static HostRunning hostOnBus(QDBusConnection bus);
    static bool startDetached(const QString& program);

    // The host program: beside the application's executable (installed), else the one of this build tree,
    // else the first on PATH. Empty when there is none.
    static QString hostProgram(const QString& applicationDir,
                               const QString& buildTreeProgram = builtProgram());
    static QString builtProgram();

    static Outcome startIfNotRunning(const QString& applicationDir, const HostRunning& running,
                                     const Start& start = startDetached,
                                     const QString& buildTreeProgram = builtProgram());

    // startIfNotRunning on a thread of its own: the bus check waits for a reply and the start for the host's
    // exec (tens of milliseconds), neither on the caller's thread. `done` gets the outcome on `context`'s
    // thread unless `context` is gone by then.
    static void startIfNotRunningAside(QObject* context, const QString& applicationDir,
                                       const HostRunning& running, const std::function<void(Outcome)>& done,
                                       const Start& start = startDetached,
                                       const QString& buildTreeProgram = builtProgram());
};

} // namespace nimbra

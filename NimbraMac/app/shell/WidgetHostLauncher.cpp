#include "WidgetHostLauncher.h"

#include "RunAside.h"

#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace nimbra {
namespace {

bool isProgram(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isExecutable();
}

} // namespace

WidgetHostLauncher::HostRunning WidgetHostLauncher::hostOnBus(QDBusConnection bus) {
    // A plain call, not the bus's interface object: the launcher asks from a thread of its own.
    return [bus] {
        if (!bus.isConnected())
            return false;
        const QDBusMessage reply =
            bus.call(QDBusMessage::createMethodCall(
                         QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                         QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"))
                     << busName);
        return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
    };
}

bool WidgetHostLauncher::startDetached(const QString& program) {
    return QProcess::startDetached(program, {});
}

QString WidgetHostLauncher::builtProgram() {
#ifdef NIMBRA_WIDGETS_BUILD_PROGRAM
    return QStringLiteral(NIMBRA_WIDGETS_BUILD_PROGRAM);
#else
    return {};
#endif
}

QString WidgetHostLauncher::hostProgram(const QString& applicationDir, const QString& buildTreeProgram) {
    const QString beside = QDir(applicationDir).filePath(programName);
    if (isProgram(beside))
        return beside;
    if (isProgram(buildTreeProgram))
        return buildTreeProgram;
    return QStandardPaths::findExecutable(programName);
}

WidgetHostLauncher::Outcome WidgetHostLauncher::startIfNotRunning(const QString& applicationDir,
                                                                  const HostRunning& running,
                                                                  const Start& start,
                                                                  const QString& buildTreeProgram) {
    if (running())
        return Outcome::alreadyRunning;
    const QString program = hostProgram(applicationDir, buildTreeProgram);
    if (program.isEmpty())
        return Outcome::notFound;
    return start(program) ? Outcome::started : Outcome::failed;
}

void WidgetHostLauncher::startIfNotRunningAside(QObject* context, const QString& applicationDir,
                                                const HostRunning& running,
                                                const std::function<void(Outcome)>& done, const Start& start,
                                                const QString& buildTreeProgram) {
    runAside<Outcome>(
        context, [=] { return startIfNotRunning(applicationDir, running, start, buildTreeProgram); }, done);
}

} // namespace nimbra

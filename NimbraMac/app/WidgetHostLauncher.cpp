#include "WidgetHostLauncher.h"

#include <QDBusConnectionInterface>
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
    return [bus] {
        const QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr;
        return names && names->isServiceRegistered(busName).value();
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

} // namespace nimbra

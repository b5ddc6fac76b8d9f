#include "UpdaterController.h"

#include "BuildInfo.h"
#include "UpdateMessageBox.h"

#include <QWidget>

namespace nimbra {

namespace {

QString runningVersion(const QString& version, const QString& build) {
    return build.isEmpty() ? version : QStringLiteral("%1 (%2)").arg(version, build);
}

} // namespace

UpdaterController::UpdaterController(QObject* parent)
    : UpdaterController(BuildInfo::updateFeedURL(), BuildInfo::version(), BuildInfo::build(),
                        std::make_unique<UpdateMessageBox>(), parent) {}

UpdaterController::UpdaterController(QUrl feedURL, QString version, QString build,
                                     std::unique_ptr<UpdatePresenter> presenter, QObject* parent)
    : QObject(parent), m_version(std::move(version)), m_build(std::move(build)),
      m_presenter(std::move(presenter)) {
    if (!feedURL.isEmpty())
        m_updater = new Updater(std::move(feedURL), this);
}

UpdaterController::~UpdaterController() = default;

void UpdaterController::checkForUpdates(QWidget* parent) {
    if (!m_updater) {
        m_presenter->present(noFeedMessage(), parent);
        Q_EMIT checkFinished();
        return;
    }
    if (m_checking)
        return;
    runCheck(parent);
}

QCoro::Task<void> UpdaterController::runCheck(QPointer<QWidget> parent) {
    QPointer<UpdaterController> self(this);
    m_checking = true;
    const UpdateCheckResult result = co_await m_updater->check(m_version, m_build);
    if (!self)
        co_return;
    m_checking = false;
    m_presenter->present(messageFor(result, m_version, m_build), parent.data());
    Q_EMIT checkFinished();
}

UpdateMessage UpdaterController::noFeedMessage() {
    return UpdateMessage{
        .text = tr("Updates are not available"),
        .informativeText = tr("This build has no update feed. Your package manager keeps Nimbra up to date."),
        .downloadPage = {}};
}

UpdateMessage UpdaterController::messageFor(const UpdateCheckResult& result, const QString& version,
                                            const QString& build) {
    switch (result.outcome) {
    case UpdateCheckResult::Outcome::upToDate:
        return UpdateMessage{
            .text = tr("Nimbra is up to date"),
            .informativeText =
                tr("Version %1 is the newest version available.").arg(runningVersion(version, build)),
            .downloadPage = {}};
    case UpdateCheckResult::Outcome::updateAvailable: {
        const AppcastItem release = result.release.value_or(AppcastItem{});
        const QUrl page = release.downloadPage();
        const QString how = page.isEmpty() ? tr("Install it with your package manager.")
                                           : tr("Install it with your package manager or from the "
                                                "download page.");
        return UpdateMessage{.text = tr("A new version of Nimbra is available"),
                             .informativeText =
                                 tr("Nimbra %1 is available; you have %2. %3")
                                     .arg(release.displayVersion(), runningVersion(version, build), how),
                             .downloadPage = page};
    }
    case UpdateCheckResult::Outcome::failed:
        break;
    }
    return UpdateMessage{
        .text = tr("Could not check for updates"), .informativeText = result.error, .downloadPage = {}};
}

} // namespace nimbra

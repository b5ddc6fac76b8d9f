#include "Updater.h"

#include "HTTPSession.h"

#include <QTimer>

namespace nimbra {

namespace {

UpdateCheckResult failure(QString error) {
    return UpdateCheckResult{
        .outcome = UpdateCheckResult::Outcome::failed, .release = std::nullopt, .error = error};
}

} // namespace

Updater::Updater(QUrl feedURL, QObject* parent)
    : QObject(parent), m_feedURL(std::move(feedURL)), m_session(new HTTPSession(this)) {}

Updater::~Updater() = default;

QCoro::Task<UpdateCheckResult> Updater::check(QString version, QString build) {
    QNetworkRequest request(m_feedURL);
    request.setRawHeader(QByteArrayLiteral("User-Agent"),
                         QStringLiteral("nimbra/%1 (%2)").arg(version, build).toUtf8());
    // The transfer time-out only notices silence: a feed sending a byte now and then is stopped by this.
    const CancellationToken stop = makeCancellation();
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, stop.get(), &Cancellation::cancel);
    deadline.start(m_timeLimit);
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(m_timeLimit).count();
    // Only the copies in this frame are used after the wait: the updater may be gone by then.
    const HTTPResponse response = co_await m_session->get(request, stop, m_timeLimit);
    if (response.cancelled)
        co_return failure(tr("The update feed did not answer within %1 seconds.").arg(seconds));
    co_return resultFrom(response, version, build);
}

UpdateCheckResult Updater::resultFrom(const HTTPResponse& response, const QString& version,
                                      const QString& build) {
    if (response.transportError)
        return failure(tr("The update feed could not be reached. %1").arg(*response.transportError));
    if (!response.isSuccess())
        return failure(tr("The update feed answered with HTTP status %1.").arg(response.statusCode));
    const auto appcast = Appcast::parse(response.body);
    if (!appcast)
        return failure(tr("The update feed could not be read."));
    return resultFrom(*appcast, version, build);
}

UpdateCheckResult Updater::resultFrom(const Appcast& appcast, const QString& version, const QString& build) {
    const auto newest = appcast.newest();
    if (!newest)
        return failure(tr("The update feed lists no versions."));
    if (!isNewer(*newest, version, build))
        return UpdateCheckResult{
            .outcome = UpdateCheckResult::Outcome::upToDate, .release = std::nullopt, .error = {}};
    return UpdateCheckResult{
        .outcome = UpdateCheckResult::Outcome::updateAvailable, .release = newest, .error = {}};
}

} // namespace nimbra

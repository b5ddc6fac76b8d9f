#pragma once

#include "Updater.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

class QWidget;

namespace nimbra {

// What an update check tells the person: a modal message, and a page to open when there is one.
struct UpdateMessage {
    QString text;
    QString informativeText;
    // With a page, the message offers "Open Download Page".
    QUrl downloadPage;

    bool operator==(const UpdateMessage&) const = default;
};

class UpdatePresenter {
public:
    virtual ~UpdatePresenter() = default;
    virtual void present(const UpdateMessage& message, QWidget* parent) = 0;
};

// The one entry of "Check for Updates..." in the tray menu and of the settings' update button. A build
// without an update feed has no updater at all: the check then only says so.
class UpdaterController : public QObject {
    Q_OBJECT
public:
    // The build's feed, version and build, shown in message boxes.
    explicit UpdaterController(QObject* parent = nullptr);
    // An empty feed address: no updater.
    UpdaterController(QUrl feedURL, QString version, QString build,
                      std::unique_ptr<UpdatePresenter> presenter, QObject* parent = nullptr);
    ~UpdaterController() override;

    bool hasFeed() const { return m_updater != nullptr; }
    Updater* updater() const { return m_updater; }
    bool isChecking() const { return m_checking; }

    // Without a feed, the "Updates are not available" message at once. With one, the feed is fetched and
    // the answer shown when it arrives; a second request while one runs is dropped.
    void checkForUpdates(QWidget* parent);

    static UpdateMessage noFeedMessage();
    static UpdateMessage messageFor(const UpdateCheckResult& result, const QString& version,
                                    const QString& build);

Q_SIGNALS:
    // A message was handed to the presenter.
    void checkFinished();

private:
    QCoro::Task<void> runCheck(QPointer<QWidget> parent);

    Updater* m_updater = nullptr;
    QString m_version;
    QString m_build;
    std::unique_ptr<UpdatePresenter> m_presenter;
    bool m_checking = false;
};

} // namespace nimbra

#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

namespace nimbra {

// Tells the widget host to rebuild its timelines from the snapshot file.
class WidgetCenter {
public:
    virtual ~WidgetCenter() = default;

    virtual void reloadAllTimelines() = 0;
    virtual void reloadTimelines(const QString& kind) = 0;

    // The D-Bus announcer on the session bus.
    static std::shared_ptr<WidgetCenter> makeDefault();
};

// Announces reloads as D-Bus signals on the session bus, which the widget host listens to. Without a session
// bus the signals go nowhere; that is no error, since the host also watches the snapshot file.
class WidgetCenterDBus final : public WidgetCenter {
public:
    // Object path and interface, both derived from the application identifier.
    static QString objectPath();
    static QString interfaceName();
    static constexpr const char* reloadAllSignal = "ReloadAllTimelines";
    // Carries the widget kind as its one string argument.
    static constexpr const char* reloadKindSignal = "ReloadTimelines";

    void reloadAllTimelines() override;
    void reloadTimelines(const QString& kind) override;
};

// Records every request with the time it arrived, for tests.
class WidgetCenterRecorder final : public WidgetCenter {
public:
    struct Request {
        // Empty for "all timelines".
        QString kind;
        QDateTime at;
    };

    void reloadAllTimelines() override { m_requests.append({QString(), QDateTime::currentDateTimeUtc()}); }
    void reloadTimelines(const QString& kind) override {
        m_requests.append({kind, QDateTime::currentDateTimeUtc()});
    }

    const QList<Request>& requests() const { return m_requests; }
    // The kinds in order of arrival, "*" standing for all timelines.
    QStringList kinds() const;
    void clear() { m_requests.clear(); }

private:
    QList<Request> m_requests;
};

} // namespace nimbra

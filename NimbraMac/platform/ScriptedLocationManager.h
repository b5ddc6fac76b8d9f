#pragma once

#include "LocationManager.h"

#include <QList>
#include <QPointer>

#include <optional>

namespace nimbra {

// A location manager that answers as the test says, with no positioning hardware or service. An answer set in
// advance is given synchronously from inside the request, the way some real sources do it.
class ScriptedLocationManager final : public LocationManager {
    Q_OBJECT
public:
    explicit ScriptedLocationManager(int status = locationAuthorization::authorizedWhenInUse,
                                     QObject* parent = nullptr);

    int authorizationStatus() const override { return m_status; }
    void setDesiredAccuracy(double metres) override { m_desiredAccuracy = metres; }
    void requestWhenInUseAuthorization() override;
    void requestLocation() override;
    void stopUpdatingLocation() override { ++m_stopCount; }

    // Answers given from inside requestWhenInUseAuthorization() and requestLocation().
    std::optional<int> authorizationAnswer;
    std::optional<QList<LocationFix>> locationAnswer;

    // What the test does later, as the platform would.
    void answerAuthorization(int status);
    void deliver(const QList<LocationFix>& fixes) { Q_EMIT didUpdateLocations(fixes); }
    void fail(const QString& description) { Q_EMIT didFailWithError(description); }

    double desiredAccuracy() const { return m_desiredAccuracy; }
    int authorizationRequestCount() const { return m_authorizationRequests; }
    int locationRequestCount() const { return m_locationRequests; }
    int stopCount() const { return m_stopCount; }

private:
    int m_status;
    double m_desiredAccuracy = 0;
    int m_authorizationRequests = 0;
    int m_locationRequests = 0;
    int m_stopCount = 0;
};

// Location services that hand out scripted managers and keep a (weak) list of them for the test to drive.
class ScriptedLocationServices final : public LocationServices {
public:
    bool enabled = true;
    // Copied into every new manager.
    int initialStatus = locationAuthorization::authorizedWhenInUse;
    std::optional<int> authorizationAnswer;
    std::optional<QList<LocationFix>> locationAnswer;

    bool locationServicesEnabled() const override { return enabled; }
    std::unique_ptr<LocationManager> makeManager() override;

    // Every manager made so far, null once its owner released it.
    const QList<QPointer<ScriptedLocationManager>>& managers() const { return m_managers; }
    ScriptedLocationManager* lastManager() const {
        return m_managers.isEmpty() ? nullptr : m_managers.last().data();
    }

private:
    QList<QPointer<ScriptedLocationManager>> m_managers;
};

} // namespace nimbra

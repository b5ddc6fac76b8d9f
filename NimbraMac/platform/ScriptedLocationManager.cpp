#include "ScriptedLocationManager.h"

namespace nimbra {

ScriptedLocationManager::ScriptedLocationManager(int status, QObject* parent)
    : LocationManager(parent), m_status(status) {}

void ScriptedLocationManager::requestWhenInUseAuthorization() {
    ++m_authorizationRequests;
    if (authorizationAnswer)
        answerAuthorization(*authorizationAnswer);
}

void ScriptedLocationManager::requestLocation() {
    ++m_locationRequests;
    if (locationAnswer)
        deliver(*locationAnswer);
}

void ScriptedLocationManager::answerAuthorization(int status) {
    m_status = status;
    Q_EMIT didChangeAuthorization();
}

std::unique_ptr<LocationManager> ScriptedLocationServices::makeManager() {
    auto manager = std::make_unique<ScriptedLocationManager>(initialStatus);
    manager->authorizationAnswer = authorizationAnswer;
    manager->locationAnswer = locationAnswer;
    m_managers.append(manager.get());
    return manager;
}

} // namespace nimbra

#include "APIKeyEditing.h"

namespace nimbra {

APIKeyEditing::APIKeyEditing(WeatherStore* store, std::unique_ptr<SingleShotTimer> timer)
    : m_store(store), m_timer(std::move(timer)) {}

APIKeyEditing::~APIKeyEditing() {
    // A key typed just before the window went away is still kept.
    flush();
}

void APIKeyEditing::edit(const QString& text, WeatherProviderKind kind) {
    if (!m_store)
        return;
    m_store->updateAPIKeyInMemory(text, kind);
    m_unsaved = true;
    m_timer->start(saveDelay, [this] { flush(); });
}

void APIKeyEditing::flush() {
    m_timer->stop();
    if (!m_unsaved || !m_store)
        return;
    m_unsaved = false;
    m_store->saveAPIKeys();
}

} // namespace nimbra

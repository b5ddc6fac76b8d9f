#pragma once

#include "SingleShotTimer.h"
#include "WeatherStore.h"

#include <QPointer>

#include <chrono>
#include <memory>

namespace nimbra {

// Key fields edit a key keystroke by keystroke. Each edit reaches the store at once (the key is used and its
// badge follows), but the keyring, where each write is a D-Bus call that may ask to unlock, is written once
// typing pauses and when the window closes.
class APIKeyEditing {
public:
    static constexpr std::chrono::milliseconds saveDelay{500};

    APIKeyEditing(WeatherStore* store, std::unique_ptr<SingleShotTimer> timer = SingleShotTimer::make());
    ~APIKeyEditing();

    // One edit of the field's whole text.
    void edit(const QString& text, WeatherProviderKind kind);
    // Saves now when an edit is waiting; nothing otherwise.
    void flush();
    bool hasUnsavedEdit() const { return m_unsaved; }

private:
    QPointer<WeatherStore> m_store;
    std::unique_ptr<SingleShotTimer> m_timer;
    bool m_unsaved = false;
};

} // namespace nimbra

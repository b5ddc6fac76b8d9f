#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace nimbra {

// The result of one keychain operation, OSStatus-style: 0 is success, negative values say what failed.
using KeychainStatus = int;

struct KeychainLookup {
    KeychainStatus status = 0;
    QByteArray data; // set when status is success
};

// Generic-password items, one per service and account, in the user's secret store. Calls are synchronous.
class Keychain {
public:
    static constexpr KeychainStatus success = 0;
    static constexpr KeychainStatus duplicateItem = -25299;
    static constexpr KeychainStatus itemNotFound = -25300;
    // The secret store cannot be reached (no Secret Service on the session bus).
    static constexpr KeychainStatus notAvailable = -25291;
    // The store is locked and could not be unlocked.
    static constexpr KeychainStatus interactionNotAllowed = -25308;

    virtual ~Keychain() = default;

    // Creates the item; duplicateItem when it exists already.
    virtual KeychainStatus add(const QString& service, const QString& account, const QByteArray& data) = 0;
    // Replaces the data of the existing item; itemNotFound when there is none.
    virtual KeychainStatus update(const QString& service, const QString& account, const QByteArray& data) = 0;
    virtual KeychainLookup find(const QString& service, const QString& account) const = 0;
    // itemNotFound when there was nothing to delete.
    virtual KeychainStatus remove(const QString& service, const QString& account) = 0;

    // The library that reaches the Secret Service.
    static constexpr const char* secretServiceLibrary = "libsecret-1.so.0";

    // The Secret Service of the session bus (GNOME Keyring, KWallet) through libsecret. The library (and GIO
    // with it) is loaded at the first call, so a session that never needs a key never loads it. When it
    // cannot be loaded, every call fails with notAvailable.
    static std::shared_ptr<Keychain>
    secretService(const QString& library = QLatin1String(secretServiceLibrary));
};

} // namespace nimbra

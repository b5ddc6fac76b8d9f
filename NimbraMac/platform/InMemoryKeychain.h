#pragma once

#include "Keychain.h"

#include <QHash>
#include <QMutex>
#include <QPair>

namespace nimbra {

// A keychain in memory with the same statuses as the real one, for tests and for a session without a secret
// store. failWith() makes every later operation fail with that status, as a locked or missing store does.
// Safe to use from several threads, as the real one is.
class InMemoryKeychain final : public Keychain {
public:
    KeychainStatus add(const QString& service, const QString& account, const QByteArray& data) override;
    KeychainStatus update(const QString& service, const QString& account, const QByteArray& data) override;
    KeychainLookup find(const QString& service, const QString& account) const override;
    KeychainStatus remove(const QString& service, const QString& account) override;

    void failWith(KeychainStatus status);
    int itemCount() const;

private:
    mutable QMutex m_mutex;
    QHash<QPair<QString, QString>, QByteArray> m_items;
    KeychainStatus m_failure = success;
};

} // namespace nimbra

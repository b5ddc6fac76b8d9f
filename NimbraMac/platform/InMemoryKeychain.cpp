#include "InMemoryKeychain.h"

namespace nimbra {

KeychainStatus InMemoryKeychain::add(const QString& service, const QString& account, const QByteArray& data) {
    const QMutexLocker lock(&m_mutex);
    if (m_failure != success)
        return m_failure;
    const auto key = qMakePair(service, account);
    if (m_items.contains(key))
        return duplicateItem;
    m_items.insert(key, data);
    return success;
}

KeychainStatus InMemoryKeychain::update(const QString& service, const QString& account,
                                        const QByteArray& data) {
    const QMutexLocker lock(&m_mutex);
    if (m_failure != success)
        return m_failure;
    const auto found = m_items.find(qMakePair(service, account));
    if (found == m_items.end())
        return itemNotFound;
    *found = data;
    return success;
}

KeychainLookup InMemoryKeychain::find(const QString& service, const QString& account) const {
    const QMutexLocker lock(&m_mutex);
    if (m_failure != success)
        return {m_failure, {}};
    const auto found = m_items.constFind(qMakePair(service, account));
    if (found == m_items.constEnd())
        return {itemNotFound, {}};
    return {success, *found};
}

KeychainStatus InMemoryKeychain::remove(const QString& service, const QString& account) {
    const QMutexLocker lock(&m_mutex);
    if (m_failure != success)
        return m_failure;
    return m_items.remove(qMakePair(service, account)) ? success : itemNotFound;
}

void InMemoryKeychain::failWith(KeychainStatus status) {
    const QMutexLocker lock(&m_mutex);
    m_failure = status;
}

int InMemoryKeychain::itemCount() const {
    const QMutexLocker lock(&m_mutex);
    return static_cast<int>(m_items.size());
}

} // namespace nimbra

#include "Keychain.h"

#include <libsecret/secret.h>

namespace nimbra {

namespace {

const SecretSchema* genericPasswordSchema() {
    static const SecretSchema schema = [] {
        SecretSchema s{};
        s.name = NIMBRA_APP_IDENTIFIER ".GenericPassword";
        s.flags = SECRET_SCHEMA_NONE;
        s.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[2] = {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &schema;
}

KeychainStatus statusOf(GError* error) {
    const bool locked = error->domain == SECRET_ERROR && error->code == SECRET_ERROR_IS_LOCKED;
    g_error_free(error);
    return locked ? Keychain::interactionNotAllowed : Keychain::notAvailable;
}

// libsecret keeps one item per attribute set: storing again replaces the secret, so add and update look the
// item up first to keep the keychain's add-or-fail and update-or-fail meanings.
class SecretServiceKeychain final : public Keychain {
public:
    KeychainStatus add(const QString& service, const QString& account, const QByteArray& data) override {
        const KeychainLookup existing = find(service, account);
        if (existing.status == success)
            return duplicateItem;
        if (existing.status != itemNotFound)
            return existing.status;
        return store(service, account, data);
    }

    KeychainStatus update(const QString& service, const QString& account, const QByteArray& data) override {
        const KeychainLookup existing = find(service, account);
        if (existing.status != success)
            return existing.status;
        return store(service, account, data);
    }

    KeychainLookup find(const QString& service, const QString& account) const override {
        GError* error = nullptr;
        const QByteArray s = service.toUtf8(), a = account.toUtf8();
        SecretValue* value =
            secret_password_lookup_binary_sync(genericPasswordSchema(), nullptr, &error, "service",
                                               s.constData(), "account", a.constData(), nullptr);
        if (error)
            return {statusOf(error), {}};
        if (!value)
            return {itemNotFound, {}};
        gsize length = 0;
        const gchar* bytes = secret_value_get(value, &length);
        KeychainLookup found{success, QByteArray(bytes, static_cast<qsizetype>(length))};
        secret_value_unref(value);
        return found;
    }

    KeychainStatus remove(const QString& service, const QString& account) override {
        GError* error = nullptr;
        const QByteArray s = service.toUtf8(), a = account.toUtf8();
        const gboolean removed =
            secret_password_clear_sync(genericPasswordSchema(), nullptr, &error, "service", s.constData(),
                                       "account", a.constData(), nullptr);
        if (error)
            return statusOf(error);
        return removed ? success : itemNotFound;
    }

private:
    static KeychainStatus store(const QString& service, const QString& account, const QByteArray& data) {
        GError* error = nullptr;
        const QByteArray s = service.toUtf8(), a = account.toUtf8();
        const QByteArray label = (service + QLatin1String(" (") + account + QLatin1Char(')')).toUtf8();
        SecretValue* value = secret_value_new(data.constData(), data.size(), "text/plain");
        const gboolean stored = secret_password_store_binary_sync(
            genericPasswordSchema(), SECRET_COLLECTION_DEFAULT, label.constData(), value, nullptr, &error,
            "service", s.constData(), "account", a.constData(), nullptr);
        secret_value_unref(value);
        if (error)
            return statusOf(error);
        return stored ? success : notAvailable;
    }
};

} // namespace

std::shared_ptr<Keychain> Keychain::secretService() {
    return std::make_shared<SecretServiceKeychain>();
}

} // namespace nimbra

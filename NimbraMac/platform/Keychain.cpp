#include "Keychain.h"

#include "Log.h"

#include <QFile>
#include <QMutex>

#include <libsecret/secret.h>

#include <dlfcn.h>

#include <map>
#include <optional>

namespace nimbra {

namespace {

// The few libsecret (and GLib) functions the keychain calls, looked up in the loaded library. Linking
// libsecret would load it, GIO, GObject and their dependencies into every process at start, whether a key is
// ever needed or not.
struct LibSecret {
    decltype(&secret_password_lookup_binary_sync) lookup = nullptr;
    decltype(&secret_password_store_binary_sync) store = nullptr;
    decltype(&secret_password_clear_sync) clear = nullptr;
    decltype(&secret_value_new) valueNew = nullptr;
    decltype(&secret_value_get) valueGet = nullptr;
    decltype(&secret_value_unref) valueUnref = nullptr;
    decltype(&secret_error_get_quark) errorQuark = nullptr;
    decltype(&g_error_free) errorFree = nullptr;
};

template <typename Function> bool resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

// Loads the library and resolves every function, or says why not (nullopt).
std::optional<LibSecret> loadLibSecret(const QString& library) {
    void* handle = dlopen(QFile::encodeName(library).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        qCWarning(keychainLog, "Cannot load %s (%s): API keys cannot be read from or saved to the keyring",
                  qUtf8Printable(library), dlerror());
        return std::nullopt;
    }
    // Never unloaded: the GLib types it registers cannot be unregistered.
    LibSecret api;
    const char* missing = nullptr;
    const auto need = [&](const char* name, auto& function) {
        if (!missing && !resolve(handle, name, function))
            missing = name;
    };
    need("secret_password_lookup_binary_sync", api.lookup);
    need("secret_password_store_binary_sync", api.store);
    need("secret_password_clear_sync", api.clear);
    need("secret_value_new", api.valueNew);
    need("secret_value_get", api.valueGet);
    need("secret_value_unref", api.valueUnref);
    need("secret_error_get_quark", api.errorQuark);
    need("g_error_free", api.errorFree);
    if (missing) {
        qCWarning(keychainLog, "%s has no %s: API keys cannot be read from or saved to the keyring",
                  qUtf8Printable(library), missing);
        return std::nullopt;
    }
    return api;
}

// Each library is loaded (or found missing, with one warning) once per process.
const LibSecret* libSecret(const QString& library) {
    static QMutex mutex;
    static std::map<QString, std::optional<LibSecret>> loaded;
    const QMutexLocker lock(&mutex);
    auto entry = loaded.find(library);
    if (entry == loaded.end())
        entry = loaded.emplace(library, loadLibSecret(library)).first;
    return entry->second ? &*entry->second : nullptr;
}

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

// libsecret keeps one item per attribute set: storing again replaces the secret, so add and update look the
// item up first to keep the keychain's add-or-fail and update-or-fail meanings.
class SecretServiceKeychain final : public Keychain {
public:
    explicit SecretServiceKeychain(QString library) : m_library(std::move(library)) {}

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
        const LibSecret* api = libSecret(m_library);
        if (!api)
            return {notAvailable, {}};
        GError* error = nullptr;
        const QByteArray s = service.toUtf8(), a = account.toUtf8();
        SecretValue* value = api->lookup(genericPasswordSchema(), nullptr, &error, "service", s.constData(),
                                         "account", a.constData(), nullptr);
        if (error)
            return {statusOf(*api, error), {}};
        if (!value)
            return {itemNotFound, {}};
        gsize length = 0;
        const gchar* bytes = api->valueGet(value, &length);
        KeychainLookup found{success, QByteArray(bytes, static_cast<qsizetype>(length))};
        api->valueUnref(value);
        return found;
    }

    KeychainStatus remove(const QString& service, const QString& account) override {
        const LibSecret* api = libSecret(m_library);
        if (!api)
            return notAvailable;
        GError* error = nullptr;
        const QByteArray s = service.toUtf8(), a = account.toUtf8();
        const gboolean removed = api->clear(genericPasswordSchema(), nullptr, &error, "service",
                                            s.constData(), "account", a.constData(), nullptr);
        if (error)
            return statusOf(*api, error);
        return removed ? success : itemNotFound;
    }

private:
    static KeychainStatus statusOf(const LibSecret& api, GError* error) {
        const bool locked = error->domain == api.errorQuark() && error->code == SECRET_ERROR_IS_LOCKED;
        api.errorFree(error);
        return locked ? interactionNotAllowed : notAvailable;
    }

    KeychainStatus store(const QString& service, const QString& account, const QByteArray& data) const {
        const LibSecret* api = libSecret(m_library);
        if (!api)
            return notAvailable;
        GError* error = nullptr;
        const QByteArray s = service.toUtf8(), a = account.toUtf8();
        const QByteArray label = (service + QLatin1String(" (") + account + QLatin1Char(')')).toUtf8();
        SecretValue* value = api->valueNew(data.constData(), data.size(), "text/plain");
        const gboolean stored =
            api->store(genericPasswordSchema(), SECRET_COLLECTION_DEFAULT, label.constData(), value, nullptr,
                       &error, "service", s.constData(), "account", a.constData(), nullptr);
        api->valueUnref(value);
        if (error)
            return statusOf(*api, error);
        return stored ? success : notAvailable;
    }

    QString m_library;
};

} // namespace

std::shared_ptr<Keychain> Keychain::secretService(const QString& library) {
    return std::make_shared<SecretServiceKeychain>(library);
}

} // namespace nimbra

#include "ProviderBaseURL.h"

#include <QtGlobal>

namespace nimbra {

QUrl providerBaseURLOverride() {
    return QUrl(qEnvironmentVariable("NIMBRA_PROVIDER_BASE_URL"));
}

} // namespace nimbra

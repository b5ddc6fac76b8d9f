#include "AppLog.h"

namespace nimbra {
namespace {
Q_LOGGING_CATEGORY(lcApp, NIMBRA_APP_IDENTIFIER ".App", QtInfoMsg)
} // namespace

const QLoggingCategory& appLog() {
    return lcApp();
}

} // namespace nimbra

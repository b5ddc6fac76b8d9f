#pragma once

#include "Clock.h"
#include "HTTPSession.h"

#include <QUrl>

#include <memory>

namespace nimbra {

// What an HTTP provider client is built with: the shared session, the clock it reads once per forecast, and
// the service's base address (replaced by a loopback server's in tests).
struct ProviderHTTPContext {
    std::shared_ptr<HTTPSession> session;
    std::shared_ptr<const Clock> clock = Clock::system();
    QUrl baseURL; // empty: the client's own default
};

} // namespace nimbra

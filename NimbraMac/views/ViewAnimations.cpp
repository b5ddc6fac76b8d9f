#include "ViewAnimations.h"

#include <atomic>

namespace nimbra::animations {

namespace {
std::atomic<bool> g_enabled{true};
}

bool enabled() {
    return g_enabled.load(std::memory_order_relaxed);
}

void setEnabled(bool enabled) {
    g_enabled.store(enabled, std::memory_order_relaxed);
}

} // namespace nimbra::animations

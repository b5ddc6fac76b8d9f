#include "SectionFreshness.h"

#include <utility>

namespace nimbra {

bool SectionFreshness::rebuilt(Source source, bool onScreen) {
    m_builtFrom = std::move(source);
    return std::exchange(m_shownSinceBuilt, onScreen) && !onScreen;
}

void SectionFreshness::prepared(const std::function<bool()>& heroIsCurrent) {
    m_prepared = true;
    if (m_shownSinceBuilt || !heroIsCurrent())
        becameStale();
}

void SectionFreshness::shown() {
    if (!std::exchange(m_prepared, false))
        becameStale();
    m_shownSinceBuilt = true;
}

bool SectionFreshness::hidden() {
    if (!m_shownSinceBuilt)
        return false;
    becameStale();
    return true;
}

} // namespace nimbra

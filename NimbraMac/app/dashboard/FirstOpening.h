#pragma once

#include "TurnSteps.h"

#include <functional>

namespace nimbra {

class MacDashboardView;
class PopoverWindow;

// The dashboard's first opening, readied over several event-loop turns before it shows: the window's own
// preparation (native window, pixel memory, cursor, painting threads), then the dashboard's (font list,
// faces, each section's measure, symbols, layout). Done in one turn it would hold the application for several
// frames. Later openings have nothing to ready and show at once.
class FirstOpening {
public:
    // Readies the first opening and then calls `show`; false, with nothing started, when the dashboard was
    // readied before (the caller shows it at once).
    bool start(PopoverWindow& window, MacDashboardView& dashboard, std::function<void()> show);
    void cancel() { m_steps.cancel(); }
    bool isRunning() const { return m_steps.isRunning(); }

private:
    TurnSteps m_steps;
};

} // namespace nimbra

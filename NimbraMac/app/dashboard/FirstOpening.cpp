#include "FirstOpening.h"

#include "MacDashboardView.h"
#include "PopoverWindow.h"

namespace nimbra {

bool FirstOpening::start(PopoverWindow& window, MacDashboardView& dashboard, std::function<void()> show) {
    const QList<TurnSteps::Step> steps = dashboard.firstShowingSteps();
    if (steps.isEmpty())
        return false;
    // The window's own steps come first: the dashboard's layout step lays out the window as it will show.
    m_steps.start(window.firstShowingSteps() + steps, std::move(show));
    return true;
}

} // namespace nimbra

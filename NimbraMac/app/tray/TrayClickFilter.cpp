#include "TrayClickFilter.h"

namespace nimbra {

TrayClickFilter::Action TrayClickFilter::action(Click click, bool popoverShown,
                                                std::optional<qint64> msSinceShown,
                                                std::optional<qint64> msSinceHidden,
                                                int doubleClickIntervalMs) {
    // The menu belongs to the right button; the second half of a double click was counted as its first.
    if (click != Click::primary)
        return Action::ignore;
    if (popoverShown) {
        // A second press right after the one that opened it: the two halves of a double click.
        if (msSinceShown && *msSinceShown < doubleClickIntervalMs)
            return Action::ignore;
        return Action::close;
    }
    if (msSinceHidden && *msSinceHidden < closeGuardMs)
        return Action::ignore;
    return Action::open;
}

std::optional<QPoint> TrayClickFilter::clickPoint(QPoint reported, QPoint pointer) {
    if (reported.isNull())
        return std::nullopt;
    return (reported - pointer).manhattanLength() <= pointerTolerance ? reported : pointer;
}

} // namespace nimbra

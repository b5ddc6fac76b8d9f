#pragma once

#include <QTimer>
#include <QtGlobal>

#include <cstdio>
#include <ctime>

namespace nimbra {

// For the start-up benchmark, which starts the application beside a bare Qt program: with
// NIMBRA_PRINT_FIRST_TURN set, prints "first-turn <wall-clock nanoseconds>" when the event loop first turns.
inline void printFirstTurnWhenAsked() {
    if (!qEnvironmentVariableIsSet("NIMBRA_PRINT_FIRST_TURN"))
        return;
    QTimer::singleShot(0, [] {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::printf("first-turn %lld\n", static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec);
        std::fflush(stdout);
    });
}

} // namespace nimbra

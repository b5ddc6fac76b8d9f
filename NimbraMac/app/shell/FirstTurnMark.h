#pragma once

#include <QTimer>
#include <QtGlobal>

#include <cstdio>
#include <ctime>

namespace nimbra {

// For the start-up benchmark, which starts the application beside a bare Qt program: with
// NIMBRA_PRINT_FIRST_TURN set, prints "<mark> <wall-clock nanoseconds>" at the moments it measures.
inline void printStartupMarkWhenAsked(const char* mark) {
    if (!qEnvironmentVariableIsSet("NIMBRA_PRINT_FIRST_TURN"))
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::printf("%s %lld\n", mark, static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec);
    std::fflush(stdout);
}

// "first-turn": when the event loop first turns.
inline void printFirstTurnWhenAsked() {
    if (qEnvironmentVariableIsSet("NIMBRA_PRINT_FIRST_TURN"))
        QTimer::singleShot(0, [] { printStartupMarkWhenAsked("first-turn"); });
}

} // namespace nimbra

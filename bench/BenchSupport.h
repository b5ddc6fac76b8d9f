#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace nimbra::bench {

// Runs the benchmarks named on the command line inside a Qt application, so that code needing an event loop
// or Qt's logging works. Only the figures are printed: the per-provider and per-refresh info lines that the
// code under test writes would bury them (QT_LOGGING_RULES still overrides this).
inline void runBenchmarks(int& argc, char** argv) {
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

// The median of several timed runs, for the ratios the programs print beside the benchmark table.
template <typename Work> double medianMilliseconds(Work work, int runs = 15) {
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[runs / 2];
}

} // namespace nimbra::bench

// BENCHMARK_MAIN with a Qt application and quiet logs.
#define NIMBRA_BENCHMARK_MAIN()                                                                              \
    int main(int argc, char** argv) {                                                                        \
        QCoreApplication app(argc, argv);                                                                    \
        nimbra::bench::runBenchmarks(argc, argv);                                                            \
        return 0;                                                                                            \
    }

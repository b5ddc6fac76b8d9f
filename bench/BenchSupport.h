#pragma once

#include <QCoreApplication>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

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

} // namespace nimbra::bench

// BENCHMARK_MAIN with a Qt application and quiet logs.
#define NIMBRA_BENCHMARK_MAIN()                                                                              \
    int main(int argc, char** argv) {                                                                        \
        QCoreApplication app(argc, argv);                                                                    \
        nimbra::bench::runBenchmarks(argc, argv);                                                            \
        return 0;                                                                                            \
    }

#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

// The entry of a benchmark that drives the program's windows: an application object on the
// offscreen platform unless one is named, the benchmarks, then `afterRun` (which closes the
// windows while the application object still exists).
template <typename AfterRun> int runGuiBenchmarks(int argc, char** argv, AfterRun afterRun) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    afterRun();
    return 0;
}

// normakurs-bench: every figure is measured against its floor in the same run; see run.sh.
#include <benchmark/benchmark.h>

#include <QApplication>

int main(int argc, char** argv) {
    // The window benchmarks need a widgets application, never a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

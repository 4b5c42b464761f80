// Load, question display and save of a 10,000-question test, each beside
// one plain parse of the same file by libinih, measured in one run and
// reported as ratios.
#include "largetest.h"
#include "testfilecommands.h"
#include "testrun.h"

#include <benchmark/benchmark.h>
#include <ini.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <string>

namespace {

QTemporaryDir *folder = nullptr;
QString testPath;

int countEntry(void *user, const char *, const char *, const char *)
{
    ++*static_cast<long *>(user);
    return 1;
}

void InihParse(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(testPath);
    for (auto _ : state) {
        long entries = 0;
        ini_parse(path.constData(), countEntry, &entries);
        benchmark::DoNotOptimize(entries);
    }
}

void EditorLoad(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(TestFileCommands::loadTestFile(testPath));
}

void RunnerShowQuestion(benchmark::State &state)
{
    TestRun run;
    run.loadTest(testPath);
    for (auto _ : state) {
        run.showQuestion(5000);
        benchmark::DoNotOptimize(run.view().options);
    }
}

void EditorSave(benchmark::State &state)
{
    const EditorTest test = TestFileCommands::loadTestFile(testPath).test;
    const QString path = folder->filePath(QStringLiteral("save.quivara"));
    QFile::copy(testPath, path);
    for (auto _ : state)
        benchmark::DoNotOptimize(TestFileCommands::saveTestFile(path, test));
}

BENCHMARK(InihParse)->Unit(benchmark::kMillisecond);
BENCHMARK(EditorLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(RunnerShowQuestion)->Unit(benchmark::kMillisecond);
BENCHMARK(EditorSave)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char **argv)
{
    // --write-test PATH: only write the large test, for the start-up figures.
    if (argc == 3 && std::string(argv[1]) == "--write-test")
        return TestFileCommands::saveTestFile(QString::fromLocal8Bit(argv[2]), largeTest()).ok ? 0 : 1;
    QTemporaryDir dir;
    folder = &dir;
    testPath = dir.filePath(QStringLiteral("large.quivara"));
    if (!TestFileCommands::saveTestFile(testPath, largeTest()).ok)
        return 1;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double parse = reporter.times["InihParse"];
    std::printf("\nA 10,000-question test of %lld bytes; each figure is a ratio to one libinih parse.\n",
                QFileInfo(testPath).size());
    const struct { const char *name; double target; } rows[] = {
        {"EditorLoad", 3}, {"RunnerShowQuestion", 2}, {"EditorSave", 3}};
    int missed = 0;
    for (const auto &row : rows) {
        const double ratio = reporter.times[row.name] / parse;
        const bool met = ratio <= row.target;
        missed += met ? 0 : 1;
        std::printf("  %-20s %6.2f x   (target %.0f x: %s)\n", row.name, ratio, row.target,
                    met ? "met" : "missed");
    }
    return 0;
}

// Load, question display and save of a 10,000-question test, each beside
// one plain parse of the same file by libinih, measured in one run and
// reported as ratios.
#include "largetest.h"
#include "peakmemory.h"
#include "testfilecommands.h"
#include "testrun.h"

#include <benchmark/benchmark.h>
#include <ini.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <string>

namespace {

QTemporaryDir *folder = nullptr;
QString testPath; // CR LF line ends, as the editor writes them
QString lfPath;   // the same test with LF alone
QString crPath;   // and with CR alone

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

void EditorLoad(benchmark::State &state, const QString *path)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(TestFileCommands::loadTestFile(*path));
}

void RunnerShowQuestion(benchmark::State &state, const QString *path)
{
    TestRun run;
    run.loadTest(*path);
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
BENCHMARK_CAPTURE(EditorLoad, crlf, &testPath)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunnerShowQuestion, crlf, &testPath)->Unit(benchmark::kMillisecond);
BENCHMARK(EditorSave)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditorLoad, lf, &lfPath)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunnerShowQuestion, lf, &lfPath)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditorLoad, cr, &crPath)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunnerShowQuestion, cr, &crPath)->Unit(benchmark::kMillisecond);

// Writes one of the hostile shapes whose memory the script measures.
bool writeShape(const std::string &shape, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    auto repeat = [&](const QByteArray &piece, qint64 times) {
        const QByteArray block = piece.repeated(1 << 16);
        for (qint64 done = 0; done < times; done += 1 << 16)
            file.write(block.constData(), piece.size() * qMin<qint64>(1 << 16, times - done));
    };
    if (shape == "brackets-2m")
        repeat("[\n", 2000000);
    else if (shape == "brackets-20m")
        repeat("[\n", 20000000);
    else if (shape == "lf-100m")
        repeat("\n", 100000000);
    else if (shape == "cr-100m")
        repeat("\r", 100000000);
    else if (shape == "key-line-100mb") {
        file.write("[Test]\r\nLastQ=0\r\n[Q0]\r\nQLabel=");
        repeat("x", 100000000);
    } else if (shape == "empty") {
    } else {
        return false;
    }
    return true;
}

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
        return TestFileCommands::saveTestFile(QString::fromLocal8Bit(argv[2]), largeTest()).ok ? 0
                                                                                               : 1;
    // --write-shape NAME PATH: a hostile file; --peak PATH: load it as the
    // runner and the editor do, then print the peak memory in KiB.
    if (argc == 4 && std::string(argv[1]) == "--write-shape")
        return writeShape(argv[2], QString::fromLocal8Bit(argv[3])) ? 0 : 1;
    if (argc == 3 && std::string(argv[1]) == "--peak") {
        const QString path = QString::fromLocal8Bit(argv[2]);
        TestRun().loadTest(path);
        TestFileCommands::loadTestFile(path);
        std::printf("%ld\n", peakMemoryKiB());
        return 0;
    }
    QTemporaryDir dir;
    folder = &dir;
    testPath = dir.filePath(QStringLiteral("large.quivara"));
    if (!TestFileCommands::saveTestFile(testPath, largeTest()).ok)
        return 1;
    lfPath = dir.filePath(QStringLiteral("large-lf.quivara"));
    crPath = dir.filePath(QStringLiteral("large-cr.quivara"));
    {
        QFile crlf(testPath);
        QFile lf(lfPath);
        QFile cr(crPath);
        if (!crlf.open(QIODevice::ReadOnly) || !lf.open(QIODevice::WriteOnly)
            || !cr.open(QIODevice::WriteOnly))
            return 1;
        const QByteArray bytes = crlf.readAll();
        lf.write(QByteArray(bytes).replace("\r\n", "\n"));
        cr.write(QByteArray(bytes).replace("\r\n", "\r"));
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double parse = reporter.times["InihParse"];
    std::printf("\nA 10,000-question test of %lld bytes; each figure is a ratio to one libinih "
                "parse.\n",
                QFileInfo(testPath).size());
    const struct
    {
        const char *name;
        double target;
    } rows[] = {{"EditorLoad/crlf", 1.5}, {"RunnerShowQuestion/crlf", 0.7}, {"EditorSave", 2}};
    int missed = 0;
    for (const auto &row : rows) {
        const double ratio = reporter.times[row.name] / parse;
        missed += ratio <= row.target ? 0 : 1;
        std::printf("  %-24s %6.2f x   (target %.1f x: %s)\n", row.name, ratio, row.target,
                    ratio <= row.target ? "met" : "missed");
    }
    std::printf("\nThe same test with other line ends, as a ratio to its CR LF figure (target 1.2 "
                "x):\n");
    for (const char *name : {"EditorLoad", "RunnerShowQuestion"}) {
        for (const char *ending : {"lf", "cr"}) {
            const std::string row = std::string(name) + "/" + ending;
            const double ratio = reporter.times[row] / reporter.times[std::string(name) + "/crlf"];
            missed += ratio <= 1.2 ? 0 : 1;
            std::printf("  %-24s %6.2f x   (%s)\n", row.c_str(), ratio,
                        ratio <= 1.2 ? "met" : "missed");
        }
    }
    // A missed target fails the run, so a script cannot pass over it.
    if (missed > 0)
        std::printf("\n%d target(s) missed\n", missed);
    return missed > 0 ? 1 : 0;
}

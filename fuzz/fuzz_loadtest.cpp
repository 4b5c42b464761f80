// Loads random file contents as a test, into the test run and into the
// editor. Checks that neither fails, and that what the editor saves loads
// back as the same test.
#include "testfilecommands.h"
#include "testrun.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <unistd.h>

namespace {

QString tempPath(const char *name)
{
    return QDir::temp().filePath(
            QStringLiteral("quivara-fuzz-%1-%2.quivara").arg(getpid()).arg(QLatin1String(name)));
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString input = tempPath("input");
    static const QString saved = tempPath("saved");
    {
        QFile file(input);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    TestRun run;
    const QString message = run.loadTest(input).message;
    require(message.isEmpty() == !run.sections().isEmpty());
    for (int i = 0; i < run.sections().size() && i < 20; ++i) {
        run.pick(0);
        run.next();
    }
    if (run.view().finishEnabled)
        require(!run.finish().message.isNull());

    const TestFileCommands::Loaded loaded = TestFileCommands::loadTestFile(input);
    require(loaded.ok);
    QFile::remove(saved);
    require(TestFileCommands::saveTestFile(saved, loaded.test).ok);
    const TestFileCommands::Loaded again = TestFileCommands::loadTestFile(saved);
    require(again.ok && again.test == loaded.test);
    return 0;
}

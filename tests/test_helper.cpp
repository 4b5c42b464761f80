// A child process for tests that need one: saving under a file size limit or
// without root's rights, saving in a loop until killed, or loading a test as
// another user would.
//
//   quivara-test-helper [--as-nobody] [--fsize-limit BYTES] save PATH A|B
//   quivara-test-helper save-loop PATH
//   quivara-test-helper [--as-nobody] load PATH
#include "largetest.h"
#include "testfilecommands.h"
#include "testrun.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void dropPrivileges()
{
    if (geteuid() != 0)
        return;
    const gid_t nogroup = 65534;
    const uid_t nobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(nogroup) != 0 || setuid(nobody) != 0) {
        std::perror("dropping privileges");
        std::exit(3);
    }
}

int save(const QString &path, const QString &variant)
{
    const TestFileCommands::Saved saved = TestFileCommands::saveTestFile(path, largeTest(variant));
    std::printf("%s\n", saved.ok ? "saved" : qPrintable(saved.error));
    return saved.ok ? 0 : 1;
}

int load(const QString &path)
{
    TestRun run;
    const QString message = run.loadTest(path);
    const TestFileCommands::Loaded loaded = TestFileCommands::loadTestFile(path);
    std::printf("runner: %d questions\n%s\neditor: %d questions\n", int(run.sections().size()),
                qPrintable(message), loaded.test.document.questionCount());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--as-nobody")) {
        dropPrivileges();
        args.removeFirst();
    }
    if (args.value(0) == QLatin1String("--fsize-limit")) {
        const rlimit limit{args.value(1).toULong(), args.value(1).toULong()};
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing
        setrlimit(RLIMIT_FSIZE, &limit);
        args = args.mid(2);
    }
    const QString command = args.value(0);
    const QString path = args.value(1);
    if (command == QLatin1String("save"))
        return save(path, args.value(2));
    if (command == QLatin1String("save-loop")) {
        for (int i = 0;; ++i)
            TestFileCommands::saveTestFile(path, largeTest(i % 2 ? QStringLiteral("B") : QStringLiteral("A")));
    }
    if (command == QLatin1String("load"))
        return load(path);
    std::fputs("usage: see the top of test_helper.cpp\n", stderr);
    return 2;
}

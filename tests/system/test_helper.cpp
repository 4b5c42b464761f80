// A child process for tests that need one: saving under a file size limit or
// as another user, saving in a loop until killed, or loading a test as the
// runner and the editor do and telling the peak memory that took.
//
//   quivara-test-helper [--as UID:GID[:GROUP,...]] [--fsize-limit BYTES] save PATH A|B
//   quivara-test-helper [--as ...] save-loop PATH
//   quivara-test-helper [--as ...] write PATH FILE                 (the file layer alone)
//   quivara-test-helper [--as ...] write-loop PATH FILE_A FILE_B
//   quivara-test-helper [--as ...] load PATH
//
// --as-nobody is --as 65534:65534.
#include "filestore.h"
#include "largetest.h"
#include "peakmemory.h"
#include "testfilecommands.h"
#include "testrun.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

// Becomes the user "UID:GID[:GROUP,...]" names; root only.
void becomeUser(const QString &who)
{
    if (geteuid() != 0)
        return;
    const QStringList parts = who.split(u':');
    std::vector<gid_t> groups;
    for (const QString &group : parts.value(2).split(u',', Qt::SkipEmptyParts))
        groups.push_back(gid_t(group.toUInt()));
    if (setgroups(groups.size(), groups.data()) != 0 || setgid(gid_t(parts.value(1).toUInt())) != 0
        || setuid(uid_t(parts.value(0).toUInt())) != 0) {
        std::perror("changing user");
        std::exit(3);
    }
}

int save(const QString &path, const QString &variant)
{
    const TestFileCommands::Saved saved = TestFileCommands::saveTestFile(path, largeTest(variant));
    std::printf("%s\n", saved.ok ? "saved" : qPrintable(saved.message));
    return saved.ok ? 0 : 1;
}

int load(const QString &path)
{
    TestRun run;
    const QString message = run.loadTest(path).message;
    const TestFileCommands::Loaded loaded = TestFileCommands::loadTestFile(path);
    std::printf("runner: %d questions\n%s\neditor: %d questions\n%s\npeak: %ld KiB\n",
                int(run.sections().size()), qPrintable(message),
                loaded.test.document.questionCount(), qPrintable(loaded.message), peakMemoryKiB());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--as-nobody")) {
        becomeUser(QStringLiteral("65534:65534"));
        args.removeFirst();
    } else if (args.value(0) == QLatin1String("--as")) {
        becomeUser(args.value(1));
        args = args.mid(2);
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
            TestFileCommands::saveTestFile(
                    path, largeTest(i % 2 ? QStringLiteral("B") : QStringLiteral("A")));
    }
    if (command == QLatin1String("write"))
        return FileStore::write(path, FileStore::read(args.value(2)).bytes) ? 0 : 1;
    if (command == QLatin1String("write-loop")) {
        const QByteArray versions[]
                = {FileStore::read(args.value(2)).bytes, FileStore::read(args.value(3)).bytes};
        for (int i = 0;; ++i)
            (void)FileStore::write(path, versions[i % 2]);
    }
    if (command == QLatin1String("load"))
        return load(path);
    std::fputs("usage: see the top of test_helper.cpp\n", stderr);
    return 2;
}

// The attacks a hostile user, a full disk and a shared school folder make on
// both programs, as one table: each row sets the attack up, does what the
// user would do, and checks what must hold afterwards. Faults that live in a
// program (signals, locks, the command line) are tried on the real
// quivara and quivara-builder; the rest on the file layer, the run and the
// editor's widgets. Rows that need another user run as uid 65534 and need
// root to set up; a row is skipped, saying why, only where its set-up is
// impossible here.
#include "application.h"
#include "cp1251.h"
#include "filestore.h"
#include "largetest.h"
#include "mform.h"
#include "profilefile.h"
#include "testfilecommands.h"
#include "testrun.h"
#include "modalwindows.h"
#include "testfiles.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalSocket>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;
constexpr uid_t Teacher = 1001; // need not exist: files only carry the number
constexpr gid_t Staff = 2000;
const QString AsNobody = QStringLiteral("65534:65534");
// A colleague of the teacher, in the staff group.
const QString AsColleague = QStringLiteral("65534:65534:2000");

struct Helper
{
    int exitCode = -1;
    QString output;
};

struct Scene
{
    QTemporaryDir dir;
    QString folder;   // where the test lives
    QString path;     // the test
    QString dataHome; // the user's data folder, where recovery copies go
    QByteArray old;   // the test's bytes before the attack
    QString skip;     // why the row cannot be set up here, if it cannot
    QString mounted;  // a tmpfs to take down afterwards
    Helper helper;
    std::unique_ptr<QProcess> program;
    std::unique_ptr<TestRun> run;
    std::unique_ptr<TForm1> editor;
    QStringList arguments;
    int recovered = 0; // kills that left the old contents in the recovery copy

    ~Scene()
    {
        if (program && program->state() != QProcess::NotRunning) {
            program->kill();
            program->waitForFinished();
        }
        if (!mounted.isEmpty())
            ::umount(QFile::encodeName(mounted).constData());
    }
};

using Step = std::function<void(Scene &)>;

bool isRoot()
{
    return ::geteuid() == 0;
}

QByteArray version(const QString &variant)
{
    static QHash<QString, QByteArray> made;
    if (!made.contains(variant)) {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.quivara");
        if (TestFileCommands::saveTestFile(path, largeTest(variant)).ok)
            made.insert(variant, fileContents(path));
    }
    return made.value(variant);
}

QByteArray smallTest()
{
    return Cp1251::encode(
            "[Test]\r\nTestName=Старый тест\r\nLastQ=0\r\n[Q0]\r\nQLabel=Два и два?\r\n"
            "LastA=1\r\nA0=*Четыре\r\nA1=Пять\r\n");
}

QProcessEnvironment environment(const Scene &s)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", s.dataHome);
    return env;
}

Helper runHelper(const Scene &s, const QStringList &arguments)
{
    QProcess helper;
    helper.setProcessEnvironment(environment(s));
    helper.start(QStringLiteral(TEST_HELPER), arguments);
    if (!helper.waitForFinished(120000))
        helper.kill();
    return {helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -1,
            QString::fromUtf8(helper.readAllStandardOutput()).trimmed()};
}

struct stat statOf(const QString &path)
{
    struct stat st = {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

void chown(const QString &path, uid_t uid, gid_t gid)
{
    QVERIFY(::chown(QFile::encodeName(path).constData(), uid, gid) == 0);
}

void chmod(const QString &path, mode_t mode)
{
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
}

// A scene with a folder that user uid (with group gid) may or may not add
// files to, and the test in it, owned by owner.
void makeScene(Scene &s, mode_t folderMode, uid_t folderOwner = 0, gid_t folderGroup = 0)
{
    QVERIFY(s.dir.isValid());
    chmod(s.dir.path(), 0755);
    s.dataHome = s.dir.filePath("data-home");
    QVERIFY(QDir().mkpath(s.dataHome));
    chown(s.dataHome, Nobody, Nobody);
    if (s.folder.isEmpty())
        s.folder = s.dir.filePath("folder");
    QVERIFY(QDir().mkpath(s.folder));
    chown(s.folder, folderOwner, folderGroup);
    chmod(s.folder, folderMode);
    s.path = QDir(s.folder).filePath("test.quivara");
    // This process looks for recovery copies where the helper keeps them.
    qputenv("XDG_DATA_HOME", QFile::encodeName(s.dataHome));
}

void putTest(Scene &s, const QByteArray &bytes, uid_t owner, gid_t group, mode_t mode)
{
    QVERIFY(writeFile(s.path, bytes));
    chown(s.path, owner, group);
    chmod(s.path, mode);
    s.old = bytes;
}

// A tmpfs of a few KiB, filled up but for `free` bytes, as the test's folder.
void fullDisk(Scene &s, qsizetype free)
{
    if (!isRoot()) {
        s.skip = "mounting a small tmpfs needs root";
        return;
    }
    s.folder = s.dir.filePath("disk");
    QVERIFY(QDir().mkpath(s.folder));
    if (::mount("tmpfs", QFile::encodeName(s.folder).constData(), "tmpfs", 0, "size=256k,mode=0755")
        != 0) {
        s.skip = "this machine allows no tmpfs mount";
        return;
    }
    s.mounted = s.folder;
    QFile filler(QDir(s.folder).filePath("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    // Give back what the row wants free (tmpfs counts whole pages).
    QVERIFY(filler.resize(qMax<qint64>(0, filler.size() - free)));
}

void expectSaveError(Scene &s)
{
    QCOMPARE(s.helper.output, FileStore::writeErrorMessage(s.path));
    QCOMPARE(s.helper.exitCode, 1);
}

void expectUnchanged(Scene &s)
{
    QCOMPARE(fileContents(s.path), s.old);
    QVERIFY2(!QFile::exists(FileStore::recoveryCopyPath(s.path)),
             "a recovery copy was left behind");
}

// What saving the large test A over the scene's old contents writes.
QByteArray savedOverOld(const Scene &s)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.quivara");
    writeFile(path, s.old);
    TestFileCommands::saveTestFile(path, largeTest("A"));
    return fileContents(path);
}

void expectSavedA(Scene &s)
{
    QCOMPARE(s.helper.output, QStringLiteral("saved"));
    QCOMPARE(fileContents(s.path), savedOverOld(s));
}

// Saves the large test A as user `as` (none: as the test runs).
Step saveAs(const QString &as, const QStringList &more = {})
{
    return [as, more](Scene &s) {
        QStringList arguments;
        if (!as.isEmpty())
            arguments << "--as" << as;
        s.helper = runHelper(s, arguments + more + QStringList{"save", s.path, "A"});
    };
}

// Runs the helper's save loop on the test and kills it at a random moment,
// 30 times. Each time the test holds one of the versions in the files "A"
// and "B", or, cut short, the recovery copy holds one and is written back.
Step killedRepeatedly(const QStringList &loop)
{
    return [loop](Scene &s) {
        const QByteArray a = fileContents(s.dir.filePath("A"));
        const QByteArray b = fileContents(s.dir.filePath("B"));
        for (int round = 0; round < 30 && !QTest::currentTestFailed(); ++round) {
            QProcess helper;
            helper.setProcessEnvironment(environment(s));
            helper.start(QStringLiteral(TEST_HELPER),
                         loop + QStringList{s.path, s.dir.filePath("A"), s.dir.filePath("B")});
            QVERIFY(helper.waitForStarted());
            QTest::qWait(50 + int(QRandomGenerator::global()->bounded(300)));
            ::kill(pid_t(helper.processId()), SIGKILL);
            QVERIFY(helper.waitForFinished());
            const QByteArray now = fileContents(s.path);
            if (now == a || now == b)
                continue;
            const std::optional<QByteArray> copy = FileStore::recoveryCopy(s.path);
            QVERIFY2(copy, "a killed save left a damaged test and no copy");
            QVERIFY(*copy == a || *copy == b);
            QVERIFY(FileStore::restoreRecoveryCopy(s.path));
            QCOMPARE(fileContents(s.path), *copy);
            ++s.recovered;
        }
        qInfo("%d of 30 kills cut a save short; each was restored from its copy", s.recovered);
    };
}

// Writes the file `bytes` over the test as nobody, killed by strace as it
// enters its first call of `syscall`: a kill at an exact point of the save.
Step writeKilledAt(const QString &syscall, const QByteArray &bytes)
{
    return [syscall, bytes](Scene &s) {
        if (QStandardPaths::findExecutable("strace").isEmpty()) {
            s.skip = "strace is not installed";
            return;
        }
        const QString source = s.dir.filePath("new-version");
        QVERIFY(writeFile(source, bytes));
        chmod(source, 0644);
        QProcess strace;
        strace.setProcessEnvironment(environment(s));
        strace.start("strace",
                     {"-qq", "-o", "/dev/null", "-e", "trace=" + syscall, "-e",
                      "inject=" + syscall + ":signal=KILL:when=1", TEST_HELPER, "--as", AsNobody,
                      "write", s.path, source});
        QVERIFY(strace.waitForFinished(60000));
        s.helper.exitCode = strace.exitCode();
    };
}

// The test is damaged and its old contents wait in the recovery copy.
void expectRecoverable(Scene &s)
{
    QVERIFY(fileContents(s.path) != s.old);
    const std::optional<QByteArray> copy = FileStore::recoveryCopy(s.path);
    QVERIFY2(copy, "no recovery copy");
    QCOMPARE(*copy, s.old);
}

// The editor offers the recovery copy as it opens the test; answer clicks
// Да or Нет.
void openWithRecovery(Scene &s, const QString &answer)
{
    // Shared, since a box that never shows leaves the check waiting beyond this call.
    const auto asked = std::make_shared<QString>();
    whenModal([asked, answer](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        *asked = box->text();
        for (QAbstractButton *b : box->buttons()) {
            if (b->text() == answer)
                return b->click();
        }
    });
    s.editor = std::make_unique<TForm1>(s.path);
    QCOMPARE(*asked, QStringLiteral("Восстановить предыдущую версию теста?"));
}

// The set of signals a process ignores, from /proc.
quint64 ignoredSignals(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigIgn:"))
            return line.mid(7).trimmed().toULongLong(nullptr, 16);
    }
    return 0;
}

// Starts a real program offscreen, as nobody when asNobody, with runtime
// folder `runtime`.
void startProgram(Scene &s, const QString &program, const QStringList &arguments,
                  const QString &runtime, bool asNobody = false)
{
    QProcessEnvironment env = environment(s);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("HOME", s.dir.path());
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    s.program = std::make_unique<QProcess>();
    s.program->setProcessEnvironment(env);
    s.program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (asNobody) {
        s.program->start("setpriv",
                         QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program}
                                 + arguments);
    } else {
        s.program->start(program, arguments);
    }
    QVERIFY(s.program->waitForStarted());
}

// True once the editor listens at its socket in folder, within 20 s.
bool editorAnswers(const QString &folder)
{
    for (int i = 0; i < 400; ++i) {
        QLocalSocket socket;
        socket.connectToServer(QDir(folder).filePath("Quivara Builder.socket"));
        if (socket.waitForConnected(100))
            return true;
        QTest::qWait(50);
    }
    return false;
}

void expectStillRunning(Scene &s)
{
    QTest::qWait(1500);
    QCOMPARE(s.program->state(), QProcess::Running);
}

// The program ignores SIGXFSZ once started, and outlives one.
void expectIgnoresFileSizeSignal(Scene &s)
{
    const qint64 pid = s.program->processId();
    const quint64 bit = quint64(1) << (SIGXFSZ - 1);
    QTRY_VERIFY_WITH_TIMEOUT(ignoredSignals(pid) & bit, 20000);
    ::kill(pid_t(pid), SIGXFSZ);
    expectStillRunning(s);
}

// A private runtime folder for a program.
QString runtimeFolder(Scene &s)
{
    const QString folder = s.dir.filePath("runtime");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

// A runtime folder for the editor holding a lock file as set up by make.
Step lockScene(const std::function<void(Scene &, const QString &lock)> &make, bool asNobody)
{
    return [make, asNobody](Scene &s) {
        if (asNobody && !isRoot()) {
            s.skip = "a lock the user cannot use needs root to set up";
            return;
        }
        makeScene(s, 0755);
        s.folder = s.dir.filePath("runtime");
        QVERIFY(QDir().mkpath(s.folder));
        chmod(s.folder, 0700);
        if (asNobody)
            chown(s.folder, Nobody, Nobody);
        make(s, QDir(s.folder).filePath("Quivara Builder.lock"));
        QVERIFY(writeFile(s.path, smallTest()));
        chmod(s.path, 0644);
        startProgram(s, QStringLiteral(BUILDER_BIN), {s.path}, s.folder, asNobody);
    };
}

void writeLock(const QString &lock, const QByteArray &bytes)
{
    QVERIFY(writeFile(lock, bytes));
}

// A two-question test open in a run, with the first question answered.
void runScene(Scene &s)
{
    makeScene(s, 0755);
    QVERIFY(writeFile(s.path,
                      Cp1251::encode("[Test]\r\nAllowFinish=0\r\nLastQ=1\r\n"
                                     "[Q0]\r\nQLabel=Первый\r\nLastA=1\r\nA0=*да\r\nA1=нет\r\n"
                                     "[Q1]\r\nQLabel=Второй\r\nLastA=1\r\nA0=раз\r\nA1=*два\r\n")));
    s.run = std::make_unique<TestRun>();
    QVERIFY(s.run->loadTest(s.path).ok);
    s.run->pick(0);
}

// The second question shows as read before, and the test can be finished.
void expectSecondQuestionFromMemory(Scene &s)
{
    QCOMPARE(s.run->view().counter, QStringLiteral("Вопрос 2 из 2:"));
    QCOMPARE(s.run->view().questionText, QStringLiteral("Второй"));
    QCOMPARE(s.run->view().options, (QStringList{"раз", "два"}));
    s.run->pick(1);
    QVERIFY(s.run->view().finishEnabled);
    QVERIFY(s.run->finish().message.contains(QStringLiteral("Правильных ответов: 2 (100%)")));
}

// The editor open on the test, which holds extra (cp1251) lines.
void editorScene(Scene &s, const QByteArray &extra = {})
{
    makeScene(s, 0755);
    putTest(s, smallTest() + extra, 0, 0, 0644);
    s.editor = std::make_unique<TForm1>(s.path);
    s.editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(s.editor.get()));
}

void paste(QWidget *widget, const QString &text)
{
    QApplication::clipboard()->setText(text);
    widget->setFocus();
    if (auto *memo = qobject_cast<QPlainTextEdit *>(widget))
        memo->moveCursor(QTextCursor::End);
    else if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->end(false);
    QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
}

void saveInEditor(Scene &s)
{
    s.editor->findChild<QAction *>("N3")->trigger();
}

QString readBack(Scene &s, const QString &section, const QString &key)
{
    return ProfileFile(s.path).readString(section, key, QStringLiteral("(none)"));
}

// The helper's peak memory loading the test, above its peak on an empty one.
void expectMemoryWithinBound(Scene &s)
{
    static long emptyPeak = -1;
    if (emptyPeak < 0) {
        Scene empty;
        makeScene(empty, 0755);
        QVERIFY(writeFile(empty.path, QByteArray()));
        emptyPeak = runHelper(empty, {"load", empty.path})
                            .output.section("peak: ", 1)
                            .section(' ', 0, 0)
                            .toLong();
        QVERIFY(emptyPeak > 0);
    }
    const long peak = s.helper.output.section("peak: ", 1).section(' ', 0, 0).toLong();
    QCOMPARE(s.helper.exitCode, 0);
    const qint64 size = QFileInfo(s.path).size();
    const qint64 bound = 4 * size / 1024 + 30 * 1024;
    qInfo("%lld bytes: %ld KiB above an empty test (bound %lld KiB)", size, peak - emptyPeak,
          bound);
    QVERIFY2(peak - emptyPeak <= bound, qPrintable(QStringLiteral("%1 KiB").arg(peak - emptyPeak)));
}

Step hostileFile(const std::function<void(QFile &)> &write)
{
    return [write](Scene &s) {
        makeScene(s, 0755);
        QFile file(s.path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        write(file);
        file.close();
    };
}

// A hostile file whose load's memory is measured.
Step memoryShape(const std::function<void(QFile &)> &write)
{
#ifdef QUIVARA_SANITIZE
    Q_UNUSED(write);
    return [](Scene &s) {
        s.skip = "the sanitizers' shadow memory would be measured with the program's";
    };
#else
    return hostileFile(write);
#endif
}

void repeated(QFile &file, const QByteArray &piece, qint64 times)
{
    const int chunk = 1 << 16;
    const QByteArray block = piece.repeated(chunk);
    for (qint64 done = 0; done < times; done += chunk)
        file.write(block.constData(), piece.size() * qMin<qint64>(chunk, times - done));
}

void loadInHelper(Scene &s)
{
    s.helper = runHelper(s, {"load", s.path});
}

void makeFifo(const QString &path)
{
    QFile::remove(path);
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
}

} // namespace

Q_DECLARE_METATYPE(Step)

class TstAttacks : public QObject
{
    Q_OBJECT
private slots:
    void attack_data();
    void attack();
};

void TstAttacks::attack_data()
{
    QTest::addColumn<Step>("setUp");
    QTest::addColumn<Step>("act");
    QTest::addColumn<Step>("check");
    const Step nothing = [](Scene &) {};
    const Step asRoot = [](Scene &s) {
        if (!isRoot())
            s.skip = "acting as other users needs root";
    };
    auto both = [](const Step &a, const Step &b) {
        return Step([a, b](Scene &s) {
            a(s);
            if (s.skip.isEmpty() && !QTest::currentTestFailed())
                b(s);
        });
    };

    // Saves that fail leave the test exactly as it was, and say so.
    QTest::newRow("read-only folder: a new test")
            << both(asRoot, [](Scene &s) { makeScene(s, 0755); }) << saveAs(AsNobody)
            << Step([](Scene &s) {
                   expectSaveError(s);
                   QVERIFY(!QFile::exists(s.path));
               });
    QTest::newRow("read-only folder: a test the user may not write") << both(asRoot, [](Scene &s) {
        makeScene(s, 0755);
        putTest(s, smallTest(), 0, 0, 0644);
    }) << saveAs(AsNobody) << Step([](Scene &s) {
        expectSaveError(s);
        expectUnchanged(s);
    });
    QTest::newRow("read-only test in an open folder") << both(asRoot, [](Scene &s) {
        makeScene(s, 0777);
        putTest(s, smallTest(), Nobody, Nobody, 0444);
    }) << saveAs(AsNobody) << Step([](Scene &s) {
        expectSaveError(s);
        expectUnchanged(s);
    });
    QTest::newRow("unreadable test: never replaced by what was not read") << both(
            asRoot, [](Scene &s) {
                makeScene(s, 0777);
                putTest(s, smallTest(), Nobody, Nobody, 0222);
            }) << saveAs(AsNobody) << Step([](Scene &s) {
        expectSaveError(s);
        chmod(s.path, 0644);
        expectUnchanged(s);
    });
    QTest::newRow("open folder: file size limit") << Step([](Scene &s) {
        makeScene(s, 0777);
        putTest(s, smallTest(), isRoot() ? Nobody : ::geteuid(), isRoot() ? Nobody : ::getegid(),
                0644);
    }) << saveAs(isRoot() ? AsNobody : QString(), {"--fsize-limit", "100000"})
                                                  << Step([](Scene &s) {
                                                         expectSaveError(s);
                                                         expectUnchanged(s);
                                                     });
    // A school's shared folder: the file may be written, but no file added,
    // so a save must write in place.
    QTest::newRow("shared folder: file size limit")
            << both(asRoot,
                    [](Scene &s) {
                        makeScene(s, 0755);
                        putTest(s, smallTest(), Nobody, Nobody, 0644);
                    })
            << saveAs(AsNobody, {"--fsize-limit", "1000"}) << Step([](Scene &s) {
                   expectSaveError(s);
                   expectUnchanged(s);
               });
    QTest::newRow("shared folder: a size limit below the test's own size") << both(
            asRoot, [](Scene &s) {
                makeScene(s, 0755);
                putTest(s, version("B"), Nobody, Nobody, 0644);
            }) << saveAs(AsNobody, {"--fsize-limit", "8000"}) << Step([](Scene &s) {
        expectSaveError(s);
        expectUnchanged(s);
    });
    QTest::newRow("shared folder: full disk") << Step([](Scene &s) {
        fullDisk(s, 8192);
        if (!s.skip.isEmpty())
            return;
        makeScene(s, 0755);
        putTest(s, smallTest(), Nobody, Nobody, 0644);
    }) << saveAs(AsNobody) << Step([](Scene &s) {
        expectSaveError(s);
        expectUnchanged(s);
    });
    QTest::newRow("open folder: full disk") << Step([](Scene &s) {
        fullDisk(s, 8192);
        if (!s.skip.isEmpty())
            return;
        makeScene(s, 0777);
        putTest(s, smallTest(), 0, 0, 0644);
    }) << saveAs(QString()) << Step([](Scene &s) {
        expectSaveError(s);
        expectUnchanged(s);
        QCOMPARE(QDir(s.folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
    });
    QTest::newRow("open folder: saves killed mid-save") << Step([](Scene &s) {
        makeScene(s, 0777);
        putTest(s, version("A"), ::geteuid(), ::getegid(), 0644);
        QVERIFY(writeFile(s.dir.filePath("A"), version("A")));
        QVERIFY(writeFile(s.dir.filePath("B"), version("B")));
    }) << killedRepeatedly({"save-loop"}) << Step([](Scene &s) { QCOMPARE(s.recovered, 0); });
    QTest::newRow("shared folder: saves killed mid-write")
            << both(asRoot,
                    [](Scene &s) {
                        makeScene(s, 0755);
                        putTest(s, version("A"), Nobody, Nobody, 0644);
                        // Two versions of different lengths, for the helper to write by turns.
                        QVERIFY(writeFile(s.dir.filePath("A"), version("A")));
                        QVERIFY(writeFile(s.dir.filePath("B"),
                                          version("B").left(version("B").size() / 2)));
                    })
            << killedRepeatedly({"--as", AsNobody, "write-loop"})
            << Step([](Scene &s) { QCOMPARE(statOf(s.path).st_uid, Nobody); });

    // A save killed at its most fragile points leaves the old contents in a
    // recovery copy, which the editor offers when the test is opened again.
    auto killedScene = [asRoot](const QByteArray &old) {
        return Step([asRoot, old](Scene &s) {
            asRoot(s);
            if (!s.skip.isEmpty())
                return;
            makeScene(s, 0755);
            putTest(s, old, Nobody, Nobody, 0644);
        });
    };
    QTest::newRow("shared folder: killed once room is made")
            << killedScene(smallTest()) << writeKilledAt("pwrite64", version("A"))
            << Step(expectRecoverable);
    QTest::newRow("shared folder: killed before the cut to length")
            << killedScene(version("A")) << writeKilledAt("ftruncate", smallTest())
            << Step(expectRecoverable);
    QTest::newRow("the editor restores the recovery copy: Да")
            << killedScene(version("A")) << writeKilledAt("ftruncate", smallTest())
            << Step([](Scene &s) {
                   expectRecoverable(s);
                   if (QTest::currentTestFailed())
                       return;
                   openWithRecovery(s, QStringLiteral("Да"));
                   QCOMPARE(fileContents(s.path), s.old);
                   QVERIFY(!QFile::exists(FileStore::recoveryCopyPath(s.path)));
                   QCOMPARE(s.editor->document().questionCount(), 10000);
                   QCOMPARE(statOf(s.path).st_uid, Nobody);
               });
    QTest::newRow("the editor discards the recovery copy: Нет")
            << killedScene(version("A")) << writeKilledAt("ftruncate", smallTest())
            << Step([](Scene &s) {
                   expectRecoverable(s);
                   if (QTest::currentTestFailed())
                       return;
                   const QByteArray damaged = fileContents(s.path);
                   openWithRecovery(s, QStringLiteral("Нет"));
                   QCOMPARE(fileContents(s.path), damaged);
                   QVERIFY(!QFile::exists(FileStore::recoveryCopyPath(s.path)));
               });

    // A save keeps who owns the test, its mode and its other names.
    QTest::newRow("a colleague in the group saves a 660 teacher:staff test") << both(
            asRoot, [](Scene &s) {
                makeScene(s, 0775, Teacher, Staff);
                putTest(s, smallTest(), Teacher, Staff, 0660);
            }) << saveAs(AsColleague) << Step([](Scene &s) {
        expectSavedA(s);
        const struct stat st = statOf(s.path);
        QCOMPARE(st.st_uid, Teacher);
        QCOMPARE(st.st_gid, Staff);
        QCOMPARE(st.st_mode & 07777, mode_t(0660));
    });
    QTest::newRow("root saves a teacher's test") << both(asRoot, [](Scene &s) {
        makeScene(s, 0755, Teacher, Teacher);
        putTest(s, smallTest(), Teacher, Teacher, 0640);
    }) << saveAs(QString()) << Step([](Scene &s) {
        expectSavedA(s);
        const struct stat st = statOf(s.path);
        QCOMPARE(st.st_uid, Teacher);
        QCOMPARE(st.st_gid, gid_t(Teacher));
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
    });
    QTest::newRow("root saves a 0440 test") << both(asRoot, [](Scene &s) {
        makeScene(s, 0755);
        putTest(s, smallTest(), 0, 0, 0440);
    }) << saveAs(QString()) << Step([](Scene &s) {
        expectSavedA(s);
        QCOMPARE(statOf(s.path).st_mode & 07777, mode_t(0440));
    });
    QTest::newRow("a test with a second hard link") << Step([](Scene &s) {
        makeScene(s, 0777, ::geteuid(), ::getegid());
        putTest(s, smallTest(), ::geteuid(), ::getegid(), 0644);
        QVERIFY(::link(QFile::encodeName(s.path).constData(),
                       QFile::encodeName(s.dir.filePath("other-name.quivara")).constData())
                == 0);
    }) << saveAs(QString()) << Step([](Scene &s) {
        expectSavedA(s);
        QCOMPARE(fileContents(s.dir.filePath("other-name.quivara")), savedOverOld(s));
        QCOMPARE(statOf(s.path).st_nlink, nlink_t(2));
    });
    QTest::newRow("a test behind a symbolic link") << Step([](Scene &s) {
        makeScene(s, 0777, ::geteuid(), ::getegid());
        putTest(s, smallTest(), ::geteuid(), ::getegid(), 0644);
        QVERIFY(QFile::link(s.path, s.dir.filePath("link.quivara")));
        s.path = s.dir.filePath("link.quivara");
    }) << saveAs(QString()) << Step([](Scene &s) {
        expectSavedA(s);
        QVERIFY(QFileInfo(s.path).isSymLink());
        QCOMPARE(fileContents(QDir(s.folder).filePath("test.quivara")), savedOverOld(s));
    });

    // Both programs ignore SIGXFSZ, so a size limit is an error, not the end.
    QTest::newRow("quivara ignores SIGXFSZ") << Step([](Scene &s) {
        makeScene(s, 0755);
        QVERIFY(writeFile(s.path, smallTest()));
        startProgram(s, QStringLiteral(QUIVARA_BIN), {s.path}, runtimeFolder(s));
    }) << nothing << Step(expectIgnoresFileSizeSignal);
    QTest::newRow("quivara-builder ignores SIGXFSZ") << Step([](Scene &s) {
        makeScene(s, 0755);
        QVERIFY(writeFile(s.path, smallTest()));
        s.folder = runtimeFolder(s);
        startProgram(s, QStringLiteral(BUILDER_BIN), {s.path}, s.folder);
    }) << nothing << Step(expectIgnoresFileSizeSignal);
    QTest::newRow("the editor's save under a size limit fails and the edits stay") << Step(
            [](Scene &s) {
                editorScene(s);
                s.editor->findChild<QLineEdit *>("TestName")->setText(QStringLiteral("Новое имя"));
            }) << Step([](Scene &s) {
        Application::ignoreFileSizeSignal();
        rlimit limit;
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &limit) == 0);
        const rlimit small = {64, limit.rlim_max};
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        // Static: a box that never shows leaves the check waiting beyond this row.
        static SeenMessage seen;
        seen = SeenMessage();
        answerNextMessage(&seen);
        saveInEditor(s);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL);
        QCOMPARE(seen.text, FileStore::writeErrorMessage(s.path) + u'.');
    }) << Step([](Scene &s) {
        expectUnchanged(s);
        QVERIFY(s.editor->isModified());
        QCOMPARE(s.editor->findChild<QLineEdit *>("TestName")->text(), QStringLiteral("Новое имя"));
    });

    // Huge lines, and files that would take a great deal of memory.
    QTest::newRow("a sparse 2 GiB test with a line over 2^31 bytes") << hostileFile(
            [](QFile &file) {
                file.write("[Test]\r\nLastQ=0\r\n[Q0]\r\nQLabel=");
                file.seek((qint64(1) << 31) + 100);
                file.write("x\r\n");
            }) << Step(loadInHelper) << Step([](Scene &s) {
        QCOMPARE(s.helper.exitCode, 0);
        const QString tooLarge = FileStore::tooLargeMessage(s.path);
        QCOMPARE(s.helper.output.section("\npeak", 0, 0),
                 "runner: 0 questions\n" + tooLarge + "\neditor: 0 questions\n" + tooLarge);
    });
    QTest::newRow("memory: '[' LF 2 million times")
            << memoryShape([](QFile &file) { repeated(file, "[\n", 2000000); })
            << Step(loadInHelper) << Step(expectMemoryWithinBound);
    QTest::newRow("memory: LF 20 million times")
            << memoryShape([](QFile &file) { repeated(file, "\n", 20000000); })
            << Step(loadInHelper) << Step(expectMemoryWithinBound);
    QTest::newRow("memory: CR 20 million times")
            << memoryShape([](QFile &file) { repeated(file, "\r", 20000000); })
            << Step(loadInHelper) << Step(expectMemoryWithinBound);
    QTest::newRow("memory: a key line of 50 MB") << memoryShape([](QFile &file) {
        file.write("[Test]\r\nLastQ=0\r\n[Q0]\r\nQLabel=");
        repeated(file, "x", 50000000);
    }) << Step(loadInHelper) << Step(expectMemoryWithinBound);
    QTest::newRow("memory: 'k=' LF 2 million times") << memoryShape([](QFile &file) {
        file.write("[Q0]\n");
        repeated(file, "k=\n", 2000000);
    }) << Step(loadInHelper) << Step(expectMemoryWithinBound);

    // What is opened is checked, not the path: a FIFO never blocks.
    QTest::newRow("a FIFO for the test at a read") << Step([](Scene &s) {
        makeScene(s, 0755);
        makeFifo(s.path);
    }) << nothing << Step([](Scene &s) {
        const ProfileFile::Loaded loaded = ProfileFile(s.path).load();
        QCOMPARE(loaded.status, FileStore::Status::NotRegular);
        QVERIFY(!TestFileCommands::loadTestFile(s.path).ok);
    });
    QTest::newRow("a FIFO for the test at a save") << Step([](Scene &s) {
        makeScene(s, 0755);
        makeFifo(s.path);
    }) << nothing << Step([](Scene &s) {
        ProfileFile file(s.path);
        QVERIFY(!file.writeString("Test", "TestName", "x"));
        QCOMPARE(file.errorString(), FileStore::writeErrorMessage(s.path));
        QVERIFY(QFileInfo(s.path).exists() && !QFileInfo(s.path).isFile());
    });
    QTest::newRow("a FIFO swapped in mid-run") << Step(runScene) << Step([](Scene &s) {
        makeFifo(s.path);
        s.run->next();
    }) << Step(expectSecondQuestionFromMemory);

    // A lock file that cannot be used never keeps the editor from starting.
    QTest::newRow("lock: empty") << lockScene(
            [](Scene &, const QString &lock) { writeLock(lock, ""); },
            false) << nothing << Step([](Scene &s) { QVERIFY(editorAnswers(s.folder)); });
    QTest::newRow("lock: garbled") << lockScene(
            [](Scene &, const QString &lock) { writeLock(lock, "\x01\xFFgarbage\n\n\n"); },
            false) << nothing << Step([](Scene &s) { QVERIFY(editorAnswers(s.folder)); });
    QTest::newRow("lock: held by a process that does not answer") << lockScene(
            [](Scene &, const QString &lock) {
                // Our own process: alive, so the lock looks held, but it never listens.
                writeLock(lock,
                          QByteArray::number(QCoreApplication::applicationPid()) + "\n"
                                  + QCoreApplication::applicationName().toUtf8() + "\n"
                                  + QSysInfo::machineHostName().toUtf8() + "\n");
            },
            false) << nothing << Step([](Scene &s) { QVERIFY(editorAnswers(s.folder)); });
    QTest::newRow("lock: unreadable") << lockScene(
            [](Scene &, const QString &lock) {
                writeLock(lock, "1\nquivara-builder\nhost\n");
                chown(lock, Nobody, Nobody);
                chmod(lock, 0);
            },
            true) << nothing << Step([](Scene &s) { QVERIFY(editorAnswers(s.folder)); });
    QTest::newRow("lock: root's") << lockScene(
            [](Scene &, const QString &lock) {
                writeLock(lock, "1\nquivara-builder\nhost\n");
                chmod(lock, 0600);
            },
            true) << nothing << Step([](Scene &s) { QVERIFY(editorAnswers(s.folder)); });
    QTest::newRow("lock: a folder") << lockScene(
            [](Scene &, const QString &lock) { QVERIFY(QDir().mkpath(lock + "/inside")); },
            false) << nothing << Step([](Scene &s) { QVERIFY(editorAnswers(s.folder)); });

    // What the author typed is what is saved.
    QTest::newRow("a NUL pasted into a setting") << Step(
            [](Scene &s) { editorScene(s); }) << Step([](Scene &s) {
        auto *name = s.editor->findChild<QLineEdit *>("TestName");
        name->clear();
        paste(name, QStringLiteral("до") + QChar(0) + QStringLiteral("после"));
        saveInEditor(s);
    }) << Step([](Scene &s) {
        QCOMPARE(s.editor->findChild<QLineEdit *>("TestName")->text(), QStringLiteral("до?после"));
        QCOMPARE(readBack(s, "Test", "TestName"), QStringLiteral("до?после"));
    });
    QTest::newRow("a line break pasted into a setting")
            << Step([](Scene &s) { editorScene(s); }) << Step([](Scene &s) {
                   auto *author = s.editor->findChild<QLineEdit *>("Author");
                   author->clear();
                   paste(author, QStringLiteral("Иванова\r\nLastQ=99"));
                   saveInEditor(s);
               })
            << Step([](Scene &s) {
                   QCOMPARE(readBack(s, "Test", "Author"), QStringLiteral("Иванова LastQ=99"));
                   QCOMPARE(readBack(s, "Test", "LastQ"), QStringLiteral("0"));
               });
    QTest::newRow("a NUL pasted into the options") << Step([](Scene &s) {
        editorScene(s);
        s.editor->findChild<QListWidget *>("Qlist")->setCurrentRow(0);
    }) << Step([](Scene &s) {
        auto *answers = s.editor->findChild<QPlainTextEdit *>("AnsList");
        QCOMPARE(answers->toPlainText(), QStringLiteral("*Четыре\nПять"));
        paste(answers, QStringLiteral("\nШесть") + QChar(0) + QStringLiteral("семь"));
        saveInEditor(s);
    }) << Step([](Scene &s) { QCOMPARE(readBack(s, "Q0", "A2"), QStringLiteral("Шесть?семь")); });
    QTest::newRow("a no-break space in an option not edited") << Step([](Scene &s) {
        editorScene(s,
                    "[Q1]\r\nQLabel=Q\r\nLastA=0\r\nA0="
                            + Cp1251::encode(QStringLiteral("1\u00A0000 рублей")) + "\r\n");
        s.old = fileContents(s.path);
    }) << Step([](Scene &s) {
        // Both questions shown in the memos, then something else edited.
        auto *list = s.editor->findChild<QListWidget *>("Qlist");
        for (int row : {1, 0})
            list->setCurrentRow(row);
        s.editor->findChild<QLineEdit *>("Author")->setText(QStringLiteral("Петров"));
        saveInEditor(s);
    }) << Step([](Scene &s) {
        QVERIFY(fileContents(s.path).contains("A0=1\xA0"
                                              "000 \xF0\xF3\xE1\xEB\xE5\xE9\r\n"));
        QCOMPARE(readBack(s, "Test", "Author"), QStringLiteral("Петров"));
    });

    // A test that vanishes mid-run does not trap the student.
    QTest::newRow("the test deleted mid-run") << Step(runScene) << Step([](Scene &s) {
        QVERIFY(QFile::remove(s.path));
        s.run->next();
    }) << Step(expectSecondQuestionFromMemory);
    QTest::newRow("the test made a folder mid-run") << Step(runScene) << Step([](Scene &s) {
        QVERIFY(QFile::remove(s.path));
        QVERIFY(QDir().mkdir(s.path));
        s.run->next();
    }) << Step(expectSecondQuestionFromMemory);
    QTest::newRow("the test changed mid-run shows the change") << Step(
            runScene) << Step([](Scene &s) {
        ProfileFile file(s.path);
        QVERIFY(file.writeString("Q1", "QLabel", QStringLiteral("Изменён")));
        s.run->next();
    }) << Step([](Scene &s) { QCOMPARE(s.run->view().questionText, QStringLiteral("Изменён")); });
    QTest::newRow("every option marked correct mid-run: the journal is told")
            << Step(runScene) << Step([](Scene &s) {
                   s.old = fileContents(s.path);
                   ProfileFile file(s.path);
                   QVERIFY(file.writeString("Q1", "A0", QStringLiteral("*раз")));
                   s.run->next();
                   s.run->pick(0);
               })
            << Step([](Scene &s) {
                   const Attempt a = s.run->finish().attempt;
                   const auto sha256 = [](const QByteArray &bytes) {
                       return QString::fromLatin1(
                               QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
                   };
                   QCOMPARE(a.correct, 2); // the change counts, as it always has
                   QCOMPARE(a.testSha256, sha256(s.old));
                   QCOMPARE(a.testChanges, QStringList{sha256(fileContents(s.path))});
               });

    // The command line: Qt's options are paths like any other argument.
    QTest::newRow("quivara with Qt's options on its command line") << Step([](Scene &s) {
        makeScene(s, 0755);
        QVERIFY(writeFile(s.path, smallTest()));
        // Read by Qt, "-platform xcb" without a display would abort.
        startProgram(s, QStringLiteral(QUIVARA_BIN), {"-platform", "xcb", "-reverse", "--", s.path},
                     runtimeFolder(s));
    }) << nothing << Step(expectStillRunning);
    QTest::newRow("quivara-builder with Qt's options on its command line") << Step([](Scene &s) {
        makeScene(s, 0755);
        QVERIFY(writeFile(s.path, smallTest()));
        s.folder = runtimeFolder(s);
        startProgram(s, QStringLiteral(BUILDER_BIN), {"-platform", "xcb", "--", s.path}, s.folder);
    }) << nothing << Step([](Scene &s) { QVERIFY(editorAnswers(s.folder)); });
    auto arguments = [](const QStringList &given, const QStringList &expected) {
        return Step([given, expected](Scene &) {
            std::vector<QByteArray> bytes;
            std::vector<char *> argv;
            for (const QString &a : given)
                bytes.push_back(a.toLocal8Bit());
            for (QByteArray &b : bytes)
                argv.push_back(b.data());
            QCOMPARE(Application::arguments(int(argv.size()), argv.data()), expected);
        });
    };
    QTest::newRow("'--' ends the options")
            << nothing << nothing
            << arguments({"quivara", "--", "t.quivara"}, {"quivara", "t.quivara"});
    QTest::newRow("a test named '-reverse'")
            << nothing << nothing << arguments({"quivara", "-reverse"}, {"quivara", "-reverse"});
    QTest::newRow("a test named '--' after '--'")
            << nothing << nothing << arguments({"quivara", "--", "--"}, {"quivara", "--"});
}

void TstAttacks::attack()
{
    QFETCH(Step, setUp);
    QFETCH(Step, act);
    QFETCH(Step, check);
    Scene scene;
    setUp(scene);
    if (!scene.skip.isEmpty())
        QSKIP(qPrintable(scene.skip));
    if (QTest::currentTestFailed())
        return;
    act(scene);
    if (QTest::currentTestFailed())
        return;
    check(scene);
}

QTEST_MAIN(TstAttacks)
#include "tst_attacks.moc"

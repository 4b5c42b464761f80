#include "cp1251.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

struct Result
{
    int exitCode;
    QString output;
};

Result runHelper(const QStringList &arguments)
{
    QProcess helper;
    helper.start(QStringLiteral(TEST_HELPER), arguments);
    helper.waitForFinished(60000);
    return {helper.exitCode(), QString::fromUtf8(helper.readAllStandardOutput()).trimmed()};
}

// A folder others may enter, so the helper can work in it without root's rights.
QString openFolder(const QTemporaryDir &dir, const QString &name, QFile::Permissions permissions)
{
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                              | QFile::ReadOther | QFile::ExeOther);
    const QString folder = dir.filePath(name);
    QDir().mkdir(folder);
    QFile::setPermissions(folder, permissions);
    return folder;
}

const QFile::Permissions ReadableByAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
const QFile::Permissions OpenToAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
const QFile::Permissions ClosedToOthers = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadOther | QFile::ExeOther;

} // namespace

class TstSaveFaults : public QObject
{
    Q_OBJECT
private slots:
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void killedSaveLeavesOldOrNewFile();
};

void TstSaveFaults::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("read-only-folder-existing-file") << "read-only-folder";
    QTest::newRow("read-only-folder-new-file") << "read-only-folder-new";
    QTest::newRow("read-only-file") << "read-only-file";
    QTest::newRow("file-size-limit") << "file-size-limit";
    // What cannot be read is never replaced by a save that would lose it.
    QTest::newRow("unreadable-file") << "unreadable-file";
}

void TstSaveFaults::failedSaveKeepsOldFile()
{
    QFETCH(QString, fault);
    QTemporaryDir dir;
    const QByteArray old = Cp1251::encode("[Test]\r\nTestName=Старый тест\r\nLastQ=-1\r\n");
    QString folder;
    QStringList options{"--as-nobody"};
    if (fault.startsWith("read-only-folder"))
        folder = openFolder(dir, "folder", ClosedToOthers);
    else
        folder = openFolder(dir, "folder", OpenToAll);
    if (fault == "file-size-limit")
        options = QStringList{"--fsize-limit", "100000"};

    const QString path = QDir(folder).filePath("test.quivara");
    if (fault != "read-only-folder-new") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
        file.close();
        QFile::Permissions permissions = ReadableByAll;
        if (fault == "read-only-file")
            permissions = QFile::ReadOwner | QFile::ReadOther;
        else if (fault == "unreadable-file")
            permissions = QFile::WriteOwner | QFile::WriteOther;
        QFile::setPermissions(path, permissions);
    }

    const Result result = runHelper(options + QStringList{"save", path, "A"});
    QCOMPARE(result.output, QStringLiteral("Unable to write to %1").arg(path));
    QCOMPARE(result.exitCode, 1);
    if (fault == "read-only-folder-new")
        QVERIFY(!QFile::exists(path));
    else {
        QFile::setPermissions(path, ReadableByAll);
        QCOMPARE(fileContents(path), old);
    }
}

void TstSaveFaults::killedSaveLeavesOldOrNewFile()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.quivara");
    const QString b = dir.filePath("b.quivara");
    QCOMPARE(runHelper({"save", a, "A"}).exitCode, 0);
    QCOMPARE(runHelper({"save", b, "B"}).exitCode, 0);
    const QByteArray versionA = fileContents(a);
    const QByteArray versionB = fileContents(b);
    QVERIFY(versionA != versionB);

    const QString path = dir.filePath("test.quivara");
    QVERIFY(QFile::copy(a, path));
    int sawA = 0;
    int sawB = 0;
    for (int round = 0; round < 40; ++round) {
        QProcess helper;
        helper.start(QStringLiteral(TEST_HELPER), {"save-loop", path});
        QVERIFY(helper.waitForStarted());
        QTest::qWait(50 + int(QRandomGenerator::global()->bounded(400)));
        ::kill(pid_t(helper.processId()), SIGKILL);
        QVERIFY(helper.waitForFinished());
        const QByteArray now = fileContents(path);
        QVERIFY2(now == versionA || now == versionB, "a killed save left a damaged file");
        (now == versionA ? sawA : sawB)++;
    }
    qInfo("after 40 kills the file held version A %d times and version B %d times", sawA, sawB);
}

QTEST_GUILESS_MAIN(TstSaveFaults)
#include "tst_savefaults.moc"

#include "cp1251.h"
#include "profilefile.h"
#include "testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "timelimits.h"

#include <sys/stat.h>
#include <unistd.h>

class TstProfileFile : public QObject
{
    Q_OBJECT
private slots:
    void missingFileReadsDefaults();
    void everyReadSeesTheDiskNow();
    void writeCreatesFile();
    void writesKeepOtherBytes();
    void editIsOneReplacement();
    void relativePathUsesCurrentDirectory();
    void failedWriteKeepsFile_data();
    void failedWriteKeepsFile();
    void unreadableFileIsNeverOverwritten();
    void permissionsAreKept();
    void hostileFilesReadQuickly_data();
    void hostileFilesReadQuickly();
};

void TstProfileFile::missingFileReadsDefaults()
{
    const ProfileFile file("does/not/exist.quivara");
    QCOMPARE(file.readString("Test", "TestName", "x"), QStringLiteral("x"));
    QCOMPARE(file.readInteger("Test", "LastQ", 4), 4);
    QCOMPARE(file.readBool("Test", "ShowResult", true), true);
    QVERIFY(!file.sectionExists("Test"));
    QVERIFY(!file.valueExists("Test", "TestName"));
    QVERIFY(file.readSection("Test").isEmpty());
}

void TstProfileFile::everyReadSeesTheDiskNow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.quivara");
    const ProfileFile file(path);
    QVERIFY(writeFile(path, "[Test]\r\nTestName=one\r\n"));
    QCOMPARE(file.readString("Test", "TestName", ""), QStringLiteral("one"));
    QVERIFY(writeFile(path, "[Test]\r\nTestName=two\r\n"));
    QCOMPARE(file.readString("Test", "TestName", ""), QStringLiteral("two"));
}

void TstProfileFile::writeCreatesFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("new.quivara");
    ProfileFile file(path);
    QVERIFY(file.writeDateTime("Test", "Created", QDateTime(QDate(2026, 2, 1), QTime(0, 0))));
    QVERIFY(file.writeString("Test", "Programm", "Quivara"));
    const QByteArray expected = "[Test]\r\nCreated="
            + Cp1251::encode(IniDocument::dateTimeText(QDateTime(QDate(2026, 2, 1), QTime(0, 0)),
                                                       QLocale::system()))
            + "\r\nProgramm=Quivara\r\n";
    QCOMPARE(fileContents(path), expected);
    QVERIFY(file.errorString().isEmpty());
}

void TstProfileFile::writesKeepOtherBytes()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    ProfileFile file(path);
    QVERIFY(file.writeString("Q1", "A2", "Неаполь"));
    QCOMPARE(fileContents(path), fileContents(dataPath("capitals_new_key.expected")));
    QVERIFY(file.writeInteger("Q1", "LastA", -1));
    QVERIFY(file.writeBool("Test", "ShowResult", false));
    QCOMPARE(file.readInteger("Q1", "LastA", 9), -1);
    QCOMPARE(file.readBool("Test", "ShowResult", true), false);
    QCOMPARE(file.readString("Q1", "A2", ""), QStringLiteral("Неаполь"));
}

void TstProfileFile::editIsOneReplacement()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    ProfileFile file(path);
    QVERIFY(file.edit([](IniDocument &doc) {
        doc.writeString("Test", "TestName", "География");
        doc.writeString("Q2", "QLabel", "Столица Испании?");
    }));
    QByteArray expected = fileContents(dataPath("capitals_new_section.expected"));
    expected.replace(Cp1251::encode("TestName=Столицы"), Cp1251::encode("TestName=География"));
    QCOMPARE(fileContents(path), expected);
    // Only the file itself is left in the folder: no temporary file stays behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"capitals.quivara"});
}

void TstProfileFile::relativePathUsesCurrentDirectory()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    ProfileFile file("rel.quivara");
    const bool written = file.writeString("Test", "TestName", "x");
    QDir::setCurrent(previous);
    QVERIFY(written);
    QCOMPARE(fileContents(dir.filePath("rel.quivara")), QByteArray("[Test]\r\nTestName=x\r\n"));
}

void TstProfileFile::failedWriteKeepsFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("directory-as-path") << "directory";
    QTest::newRow("missing-folder") << "missing-folder";
    QTest::newRow("fifo-as-path") << "fifo";
}

void TstProfileFile::failedWriteKeepsFile()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath("target");
    if (kind == "directory")
        QVERIFY(QDir().mkdir(path));
    else if (kind == "missing-folder")
        path = dir.filePath("no/such/folder/t.quivara");
    else
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);

    ProfileFile file(path);
    QVERIFY(!file.writeString("Test", "TestName", "x"));
    QCOMPARE(file.errorString(), QStringLiteral("Unable to write to %1").arg(path));
    QCOMPARE(file.readString("Test", "TestName", "default"), QStringLiteral("default"));
    QCOMPARE(QDir(dir.path())
                     .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                     .size(),
             kind == "missing-folder" ? 0 : 1);
}

void TstProfileFile::unreadableFileIsNeverOverwritten()
{
    if (geteuid() == 0)
        QSKIP("root reads every file");
    QTemporaryDir dir;
    const QString path = dir.filePath("t.quivara");
    QVERIFY(writeFile(path, "[Test]\r\nTestName=secret\r\n"));
    QFile::setPermissions(path, QFile::WriteOwner);
    ProfileFile file(path);
    QCOMPARE(file.readString("Test", "TestName", "d"), QStringLiteral("d"));
    QVERIFY(!file.writeString("Test", "Author", "x"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(fileContents(path), QByteArray("[Test]\r\nTestName=secret\r\n"));
}

void TstProfileFile::permissionsAreKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.quivara");
    QVERIFY(writeFile(path, "[Test]\r\n"));
    QVERIFY(QFile::setPermissions(
            path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    const auto before = QFile::permissions(path);
    ProfileFile file(path);
    QVERIFY(file.writeString("Test", "TestName", "x"));
    QCOMPARE(QFile::permissions(path), before);
}

void TstProfileFile::hostileFilesReadQuickly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray junk;
    for (int i = 0; i < (1 << 20); ++i)
        junk.append(char((i * 2654435761u) >> 24));
    QTest::newRow("binary-junk") << junk;
    QTest::newRow("nul-bytes") << QByteArray(4096, '\0');
    QTest::newRow("huge-last-q") << QByteArray("[Test]\r\nLastQ=2147483647\r\n");
    QTest::newRow("100-mb-line") << QByteArray(100 * 1024 * 1024, '[');
}

void TstProfileFile::hostileFilesReadQuickly()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("t.quivara");
    QVERIFY(writeFile(path, bytes));
    QElapsedTimer timer;
    timer.start();
    const ProfileFile file(path);
    QCOMPARE(file.readString("Test", "TestName", "d"), QStringLiteral("d"));
    QVERIFY2(timer.elapsed() < 5000 * TimeScale,
             "reading a hostile file took more than five seconds");
    QCOMPARE(fileContents(path).size(), bytes.size()); // reading never writes
}

QTEST_GUILESS_MAIN(TstProfileFile)
#include "tst_profilefile.moc"

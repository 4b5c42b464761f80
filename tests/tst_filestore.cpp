#include "filestore.h"
#include "testfiles.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

Q_DECLARE_METATYPE(FileStore::Status)
Q_DECLARE_METATYPE(std::function<QString(const QTemporaryDir &)>)

class TstFileStore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void readStatus_data();
    void readStatus();
    void writeNewAndExisting();
    void writeKeepsMode();
    void recoveryCopyLifecycle();

private:
    QTemporaryDir m_dataHome;
};

void TstFileStore::initTestCase()
{
    // Recovery copies go to the user's data folder: a private one here.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
}

// Makes the thing to read in dir and returns its path.
using Make = std::function<QString(const QTemporaryDir &dir)>;

const QByteArray SmallTest = "[Test]\r\nLastQ=0\r\n";

void TstFileStore::readStatus_data()
{
    QTest::addColumn<Make>("make");
    QTest::addColumn<FileStore::Status>("status");
    QTest::addColumn<QByteArray>("bytes");
    const QString name = QStringLiteral("t.quivara");
    QTest::newRow("a test") << Make([=](const QTemporaryDir &dir) {
        writeFile(dir.filePath(name), SmallTest);
        return dir.filePath(name);
    }) << FileStore::Status::Ok
                            << SmallTest;
    QTest::newRow("an empty file") << Make([=](const QTemporaryDir &dir) {
        writeFile(dir.filePath(name), {});
        return dir.filePath(name);
    }) << FileStore::Status::Ok << QByteArray();
    QTest::newRow("nothing there")
            << Make([=](const QTemporaryDir &dir) { return dir.filePath(name); })
            << FileStore::Status::Missing << QByteArray();
    QTest::newRow("below a file") << Make([=](const QTemporaryDir &dir) {
        writeFile(dir.filePath(name), SmallTest);
        return dir.filePath(name) + "/inside";
    }) << FileStore::Status::Missing
                                  << QByteArray();
    QTest::newRow("a folder") << Make([=](const QTemporaryDir &dir) {
        QDir().mkdir(dir.filePath(name));
        return dir.filePath(name);
    }) << FileStore::Status::NotRegular
                              << QByteArray();
    QTest::newRow("a FIFO") << Make([=](const QTemporaryDir &dir) {
        ::mkfifo(QFile::encodeName(dir.filePath(name)).constData(), 0644);
        return dir.filePath(name);
    }) << FileStore::Status::NotRegular
                            << QByteArray();
    QTest::newRow("over the size limit") << Make([=](const QTemporaryDir &dir) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.resize(FileStore::MaxTestSize + 1); // sparse: no disk used
        return dir.filePath(name);
    }) << FileStore::Status::TooLarge << QByteArray();
}

void TstFileStore::readStatus()
{
    QFETCH(Make, make);
    QFETCH(FileStore::Status, status);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const FileStore::Contents contents = FileStore::read(make(dir));
    QCOMPARE(contents.status, status);
    QCOMPARE(contents.bytes, bytes);
}

void TstFileStore::writeNewAndExisting()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.quivara");
    QVERIFY(FileStore::write(path, "first"));
    QCOMPARE(fileContents(path), QByteArray("first"));
    QVERIFY(FileStore::write(path, "second, longer"));
    QCOMPARE(fileContents(path), QByteArray("second, longer"));
    QVERIFY(FileStore::write(path, "3"));
    QCOMPARE(fileContents(path), QByteArray("3"));
    // Nothing is left beside the test.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"t.quivara"});
    QVERIFY(!FileStore::write(dir.filePath("no/such/folder/t.quivara"), "x"));
}

void TstFileStore::writeKeepsMode()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.quivara");
    QVERIFY(writeFile(path, "old"));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0604) == 0);
    QVERIFY(FileStore::write(path, "new"));
    struct stat st;
    QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0604));
}

void TstFileStore::recoveryCopyLifecycle()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.quivara");
    QVERIFY(writeFile(path, "damaged"));
    QVERIFY(!FileStore::recoveryCopy(path)); // none kept
    // As a save in place cut short leaves it.
    const QString copy = FileStore::recoveryCopyPath(path);
    QVERIFY(copy.startsWith(m_dataHome.path() + "/Quivara/recovery/"));
    QVERIFY(QDir().mkpath(QFileInfo(copy).absolutePath()));
    QVERIFY(writeFile(copy, "the old test"));
    QCOMPARE(FileStore::recoveryCopy(path).value_or(QByteArray()), QByteArray("the old test"));
    QVERIFY(FileStore::restoreRecoveryCopy(path));
    QCOMPARE(fileContents(path), QByteArray("the old test"));
    QVERIFY(!QFile::exists(copy));
    // A copy equal to the file is of no use and goes.
    QVERIFY(writeFile(copy, "the old test"));
    QVERIFY(!FileStore::recoveryCopy(path));
    QVERIFY(!QFile::exists(copy));
    // Discarding removes it, leaving the file as it is.
    QVERIFY(writeFile(copy, "other"));
    FileStore::discardRecoveryCopy(path);
    QVERIFY(!QFile::exists(copy));
    QCOMPARE(fileContents(path), QByteArray("the old test"));
}

QTEST_GUILESS_MAIN(TstFileStore)
#include "tst_filestore.moc"

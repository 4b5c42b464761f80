#include "cp1251.h"
#include "testfilecommands.h"
#include "testrun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

#include "timelimits.h"

namespace {

QByteArray fixture(const QString &name)
{
    return fileContents(dataPath(name));
}

QByteArray twentyThousandKeys()
{
    QByteArray bytes = "[Test]\r\nLastQ=0\r\n[Q0]\r\nQLabel=Q\r\nLastA=19999\r\n";
    for (int k = 0; k < 20000; ++k)
        bytes += "A" + QByteArray::number(k) + "=" + QByteArray::number(k) + "\r\n";
    return bytes;
}

// How long load takes, at best of three tries.
template<typename Load>
qint64 milliseconds(Load load)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        load();
        best = qMin(best, timer.elapsed());
    }
    return best;
}

} // namespace

class TstHostileFiles : public QObject
{
    Q_OBJECT
private slots:
    void bothProgramsLoad_data();
    void bothProgramsLoad();
    void directoryAsPath();
    void unreadableFile();
};

void TstHostileFiles::bothProgramsLoad_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("firstText");
    QTest::addColumn<int>("runnerOptions"); // of the first question
    QTest::addColumn<int>("editorOptions");

    const QByteArray capitals = fixture("capitals.quivara");
    QTest::newRow("huge-last-q-and-last-a")
            << fixture("huge_last_q.quivara") << 2 << "Ноль" << 2 << 2;
    QTest::newRow("100-mb-line") << "[Test]\r\nLastQ=0\r\n[Q0]\r\nQLabel="
                    + QByteArray(100 << 20, 'x')
                                 << 1 << QString(2047, u'x') << 0 << 0;
    QByteArray junk;
    for (int i = 0; i < (1 << 20); ++i)
        junk.append(char((i * 2654435761u) >> 24));
    QTest::newRow("binary-junk") << junk << 0 << "" << 0 << 0;
    static const char nul[] = "[Test]\r\nLastQ=1\r\n[Q0]\r\nQLabel=a\0b\r\nA0=*\0x\r\n"
                              "[Q1]\r\nQLabel=c\r\n";
    QTest::newRow("nul-bytes") << QByteArray(nul, sizeof nul - 1) << 2 << "a" << 1 << 1;
    QByteArray lf = capitals;
    QTest::newRow("lf-only") << lf.replace("\r\n", "\n") << 2 << "Столица Франции?" << 3 << 3;
    QByteArray cr = capitals;
    QTest::newRow("cr-only") << cr.replace("\r\n", "\r") << 2 << "Столица Франции?" << 3 << 3;
    // The mark makes the first line no header, so the settings section is
    // not found and only Q0 is looked at.
    QTest::newRow("utf8-byte-order-mark")
            << "\xEF\xBB\xBF" + capitals << 1 << "Столица Франции?" << 3 << 3;
    QTest::newRow("repeated-sections-and-keys") << Cp1251::encode(
            "[Test]\r\nLastQ=1\r\nLastQ=0\r\n[Q0]\r\nQLabel=первый\r\nqlabel=второй\r\n"
            "A0=да\r\n[q0]\r\nQLabel=третий\r\nLastA=5\r\nA1=нет\r\n[Q1]\r\nQLabel=x\r\n")
                                                << 2 << "первый" << 1 << 1;
    // Only the key names that fit the section listing reach the editor:
    // QLabel and LastA take 13 bytes, A0 to A999 4890, and 1913 names of 6
    // bytes fill the rest of 16384, up to A2912.
    QTest::newRow("20000-keys-in-one-section") << twentyThousandKeys() << 1 << "Q" << 20000 << 2913;
}

void TstHostileFiles::bothProgramsLoad()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, questions);
    QFETCH(QString, firstText);
    QFETCH(int, runnerOptions);
    QFETCH(int, editorOptions);
    QTemporaryDir dir;
    const QString path = dir.filePath("hostile.quivara");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    TestRun run;
    const QString message = run.loadTest(path).message;
    QCOMPARE(run.sections().size(), questions);
    QCOMPARE(message.isEmpty(), questions > 0);
    const TestFileCommands::Loaded loaded = TestFileCommands::loadTestFile(path);
    QVERIFY(loaded.ok);
    QCOMPARE(loaded.test.document.questionCount(), questions);
    if (questions > 0) {
        QCOMPARE(run.view().questionText, firstText);
        QCOMPARE(run.view().options.size(), runnerOptions);
        QCOMPARE(loaded.test.document.questionText(0), firstText);
        QCOMPARE(loaded.test.document.answers(0).size(), editorOptions);
    }
    const qint64 runner = milliseconds([&] { TestRun().loadTest(path); });
    const qint64 editor = milliseconds([&] { TestFileCommands::loadTestFile(path); });
    QVERIFY2(runner < 1000 * TimeScale,
             qPrintable(QStringLiteral("the runner took %1 ms").arg(runner)));
    QVERIFY2(editor < 1000 * TimeScale,
             qPrintable(QStringLiteral("the editor took %1 ms").arg(editor)));
    QCOMPARE(QFileInfo(path).size(), bytes.size()); // loading writes nothing
}

void TstHostileFiles::directoryAsPath()
{
    QTemporaryDir dir;
    TestRun run;
    QCOMPARE(run.loadTest(dir.path()).message,
             QStringLiteral("Файл \"%1\" не существует!").arg(dir.path()));
    QVERIFY(!TestFileCommands::loadTestFile(dir.path()).ok);
}

void TstHostileFiles::unreadableFile()
{
    // Root reads every file, so the load runs as nobody in a child process.
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    const QString path = dir.filePath("secret.quivara");
    QVERIFY(QFile::copy(dataPath("capitals.quivara"), path));
    QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    QProcess helper;
    helper.start(QStringLiteral(TEST_HELPER), {"--as-nobody", "load", path});
    QVERIFY(helper.waitForFinished(30000));
    const QString output = QString::fromUtf8(helper.readAllStandardOutput());
    QCOMPARE(output.section(QStringLiteral("peak:"), 0, 0),
             QStringLiteral("runner: 0 questions\nВ этом тесте нет тестовых заданий!\r\n\r\n"
                            "Обратитесь к составителю этого теста (Неизвестный автор) и спросите, "
                            "что он имел этим ввиду.\neditor: 0 questions\n\n"));
}

QTEST_GUILESS_MAIN(TstHostileFiles)
#include "tst_hostilefiles.moc"

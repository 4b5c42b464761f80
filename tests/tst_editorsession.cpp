#include "editorsession.h"
#include "profilefile.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(EditorSession::Answer)

class TstEditorSession : public QObject
{
    Q_OBJECT
private slots:
    void loadedTestIsUnmodified();
    void leave_data();
    void leave();
    void failedSaveStopsTheCommand();
    void saveAsKeepsTheFileNameUntilLoaded();
    void deleteQuestion_data();
    void deleteQuestion();
    void fillEmptyText_data();
    void fillEmptyText();
};

void TstEditorSession::loadedTestIsUnmodified()
{
    EditorSession session;
    QVERIFY(!session.isModified()); // nothing open: nothing to save
    QVERIFY(!session.load(dataPath("no/such.quivara")).ok);
    QCOMPARE(session.fileName(), QString());
    QVERIFY(session.load(dataPath("capitals.quivara")).ok);
    QCOMPARE(session.fileName(), dataPath("capitals.quivara"));
    QCOMPARE(session.document().questionCount(), 2);
    QVERIFY(!session.isModified());
    const TestSettings loaded = session.settings();
    TestSettings settings = loaded;
    settings.author = "Петров";
    session.setSettings(settings);
    QVERIFY(session.isModified());
    session.setSettings(loaded); // back to what was loaded
    QVERIFY(!session.isModified());
    session.document().setQuestionText(0, "Другой вопрос");
    QVERIFY(session.isModified());
}

void TstEditorSession::leave_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<EditorSession::Answer>("answer");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<bool>("saves");
    QTest::addColumn<bool>("proceeds");
    using A = EditorSession::Answer;
    QTest::newRow("unmodified") << false << A::Cancel << false << false << true;
    QTest::newRow("modified: save") << true << A::Save << true << true << true;
    QTest::newRow("modified: discard") << true << A::Discard << true << false << true;
    QTest::newRow("modified: cancel") << true << A::Cancel << true << false << false;
}

void TstEditorSession::leave()
{
    QFETCH(bool, modified);
    QFETCH(EditorSession::Answer, answer);
    QFETCH(bool, asks);
    QFETCH(bool, saves);
    QFETCH(bool, proceeds);
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    EditorSession session;
    QVERIFY(session.load(path).ok);
    if (modified)
        session.document().setQuestionText(0, "Изменено");
    QCOMPARE(session.asksBeforeLeaving(), asks);
    const Outcome outcome = session.leave(answer);
    QCOMPARE(outcome.ok, proceeds);
    QCOMPARE(outcome.message, QString());
    QCOMPARE(ProfileFile(path).readString("Q0", "QLabel", {}) == "Изменено", saves);
    QCOMPARE(session.isModified(), modified && !saves);
}

void TstEditorSession::failedSaveStopsTheCommand()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    EditorSession session;
    QVERIFY(session.load(path).ok);
    session.document().setQuestionText(0, "Изменено");
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path)); // a folder in its place: no save can go there
    const Outcome outcome = session.leave(EditorSession::Answer::Save);
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.message, QStringLiteral("Unable to write to %1").arg(path));
    QVERIFY(session.isModified());
}

void TstEditorSession::saveAsKeepsTheFileNameUntilLoaded()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    const QString other = dir.filePath("другой.quivara");
    EditorSession session;
    QVERIFY(session.load(path).ok);
    session.document().setQuestionText(0, "Изменено");
    QVERIFY(session.save(other).ok);
    QVERIFY(!session.isModified());
    QCOMPARE(session.fileName(), path);
    QCOMPARE(ProfileFile(path).readString("Q0", "QLabel", {}), QStringLiteral("Столица Франции?"));
    QVERIFY(session.load(other).ok);
    QCOMPARE(session.fileName(), other);
    QCOMPARE(session.document().questionText(0), QStringLiteral("Изменено"));
}

void TstEditorSession::deleteQuestion_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("next");
    QTest::newRow("the first of three") << 3 << 0 << 0;
    QTest::newRow("the middle of three") << 3 << 1 << 0;
    QTest::newRow("the last of three") << 3 << 2 << 1;
    QTest::newRow("the only one") << 1 << 0 << -1;
    QTest::newRow("none selected") << 2 << -1 << -1;
}

void TstEditorSession::deleteQuestion()
{
    QFETCH(int, count);
    QFETCH(int, deleted);
    QFETCH(int, next);
    EditorSession session;
    for (int i = 0; i < count; ++i)
        session.document().addQuestion(QString::number(i));
    QCOMPARE(session.deleteQuestion(deleted), next);
    QCOMPARE(session.document().questionCount(), deleted >= 0 ? count - 1 : count);
}

void TstEditorSession::fillEmptyText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("filled");
    QTest::newRow("emptied") << "" << 0 << true;
    QTest::newRow("with text") << "Вопрос" << 0 << false;
    QTest::newRow("none shown") << "" << -1 << false;
}

void TstEditorSession::fillEmptyText()
{
    QFETCH(QString, text);
    QFETCH(int, current);
    QFETCH(bool, filled);
    EditorSession session;
    session.document().addQuestion(text);
    session.document().setCurrentQuestion(current);
    QCOMPARE(session.fillEmptyText(), filled);
    QCOMPARE(session.document().questionText(0), filled ? TestLayout::NoQuestionText : text);
}

QTEST_GUILESS_MAIN(TstEditorSession)
#include "tst_editorsession.moc"

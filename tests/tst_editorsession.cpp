#include "editorsession.h"
#include "profilefile.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(EditorSession::Answer)
Q_DECLARE_METATYPE(Interchange::Format)

class TstEditorSession : public QObject
{
    Q_OBJECT
private slots:
    void loadedTestIsUnmodified();
    void leave_data();
    void leave();
    void failedSaveStopsTheCommand();
    void saveAsKeepsTheFileNameUntilLoaded();
    void importFrom_data();
    void importFrom();
    void importedTestIsSavedUnderTheNameChosen();
    void exportTo_data();
    void exportTo();
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

void TstEditorSession::importFrom_data()
{
    QTest::addColumn<Interchange::Format>("format");
    QTest::addColumn<QByteArray>("bytes"); // none: no file at all
    QTest::addColumn<QString>("message");  // %1 is the file's path
    QTest::addColumn<int>("reportLines");
    QTest::addColumn<QStringList>("questions");
    using F = Interchange::Format;
    QTest::newRow("GIFT") << F::Gift << QByteArray("::a:: Столица Италии? {=Рим ~Милан}\n") << ""
                          << 0 << QStringList{"Столица Италии?"};
    QTest::newRow("GIFT, an essay skipped")
            << F::Gift << QByteArray("Столица? {=Рим ~Милан}\n\nО себе {}\n") << "" << 1
            << QStringList{"Столица?"};
    QTest::newRow("Aiken") << F::Aiken << QByteArray("Два плюс два?\nA. 3\nB. 4\nANSWER: B\n") << ""
                           << 0 << QStringList{"Два плюс два?"};
    QTest::newRow("Moodle XML, broken")
            << F::MoodleXml << QByteArray("<quiz><question type=\"multichoice\">") << "" << 1
            << QStringList{};
    QTest::newRow("no questions") << F::Aiken << QByteArray("просто текст\n")
                                  << "В файле \"%1\" нет ни одного вопроса формата Aiken." << -1
                                  << QStringList{};
    QTest::newRow("missing file") << F::Gift << QByteArray() << "Файл \"%1\" не существует!" << 0
                                  << QStringList{};
}

void TstEditorSession::importFrom()
{
    QFETCH(Interchange::Format, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QFETCH(int, reportLines);
    QFETCH(QStringList, questions);
    QTemporaryDir dir;
    const QString path = dir.filePath("in");
    if (!bytes.isEmpty())
        QVERIFY(writeFile(path, bytes));
    EditorSession session;
    QVERIFY(session.load(dataPath("capitals.quivara")).ok);
    const EditorSession::Transfer imported = session.importFrom(format, path);
    QCOMPARE(imported.ok, !questions.isEmpty());
    if (!message.isEmpty())
        QCOMPARE(imported.message, message.arg(path));
    if (reportLines >= 0)
        QCOMPARE(imported.report.size(), reportLines);
    if (questions.isEmpty()) {
        if (message.isEmpty()) // a broken file
            QCOMPARE(imported.message,
                     QStringLiteral("Файл \"%1\" повреждён, тест не импортирован.").arg(path));
        // The test open before stays, as it was.
        QCOMPARE(session.fileName(), dataPath("capitals.quivara"));
        QVERIFY(!session.isModified());
        return;
    }
    QCOMPARE(session.document().questionTexts(), questions);
    QVERIFY(session.isUntitled());
    QCOMPARE(session.fileName(), QString());
    QVERIFY(session.isModified());
    QVERIFY(session.asksBeforeLeaving());
}

void TstEditorSession::importedTestIsSavedUnderTheNameChosen()
{
    QTemporaryDir dir;
    const QString in = dir.filePath("in.gift");
    QVERIFY(writeFile(in, "Столица? {=Рим ~Милан}\n"));
    EditorSession session;
    QVERIFY(session.importFrom(Interchange::Format::Gift, in).ok);
    // Saving it needs a name: without one the command stops.
    QCOMPARE(session.leave(EditorSession::Answer::Save).ok, false);
    QVERIFY(session.isModified());
    const QString path = dir.filePath("новый.quivara");
    QVERIFY(session.leave(EditorSession::Answer::Save, path).ok);
    QCOMPARE(session.fileName(), path);
    QVERIFY(!session.isUntitled());
    QVERIFY(!session.isModified());
    QCOMPARE(fileContents(path), TestFileCommands::newTestFileBytes(session.test()));
    QCOMPARE(ProfileFile(path).readString("Q0", "A0", {}), QStringLiteral("*Рим"));
}

void TstEditorSession::exportTo_data()
{
    QTest::addColumn<Interchange::Format>("format");
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("written");
    QTest::addColumn<int>("skipped");
    using F = Interchange::Format;
    QTest::newRow("GIFT: the one without a right answer skipped")
            << F::Gift << "mixed.quivara" << true << 1;
    QTest::newRow("Aiken: several right answers skipped too")
            << F::Aiken << "mixed.quivara" << true << 2;
    QTest::newRow("Moodle XML") << F::MoodleXml << "capitals.quivara" << true << 0;
    QTest::newRow("no question the format can hold")
            << F::Gift << "no_questions.quivara" << false << 0;
}

void TstEditorSession::exportTo()
{
    QFETCH(Interchange::Format, format);
    QFETCH(QString, fixture);
    QFETCH(bool, written);
    QFETCH(int, skipped);
    QTemporaryDir dir;
    EditorSession session;
    QVERIFY(session.load(dataPath(fixture)).ok);
    const QString path = dir.filePath("out");
    const EditorSession::Transfer exported = session.exportTo(format, path);
    QCOMPARE(exported.ok, written);
    QCOMPARE(Interchange::skippedQuestions(exported.report), skipped);
    QCOMPARE(QFile::exists(path), written);
    if (written) {
        Report report;
        QCOMPARE(fileContents(path), Interchange::write(format, session.test(), report));
        QVERIFY(!session.isModified());
    }
    // A file that cannot be written is told.
    const QString nowhere = dir.filePath("нет/такой/папки.gift");
    const EditorSession::Transfer failed = session.exportTo(format, nowhere);
    QVERIFY(!failed.ok);
    QVERIFY(!failed.message.isEmpty());
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

#include "cp1251.h"
#include "mform.h"
#include "profilefile.h"
#include "singleinstance.h"
#include "startup.h"
#include "modalwindows.h"
#include "pdftext.h"
#include "testfiles.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QWindow>

#include <functional>

Q_DECLARE_METATYPE(std::function<void(TForm1 &)>)
Q_DECLARE_METATYPE(Interchange::Format)

namespace {

// Picks the filter in the next file dialog as a person would, with the
// arrow keys on its list of file types, then chooses path.
void chooseFilterAndPath(const QString &filter, const QString &path)
{
    whenModalOf<QFileDialog>([filter, path](QFileDialog *dialog) {
        auto *types = dialog->findChild<QComboBox *>("fileTypeCombo");
        QVERIFY(types);
        const int wanted = types->findText(filter);
        QVERIFY2(wanted >= 0, qPrintable(filter));
        while (types->currentIndex() < wanted)
            QTest::keyClick(types, Qt::Key_Down);
        typeIntoDialog(path);
    });
}

// What the next report box showed: its text and the lines below it.
struct SeenReport
{
    QString text;
    QStringList lines;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

void answerNextReport(SeenReport *seen)
{
    whenModalOf<QMessageBox>([seen](QMessageBox *box) {
        QCOMPARE(box->objectName(), QStringLiteral("ReportBox"));
        seen->text = box->text();
        seen->icon = box->icon();
        auto *lines = box->findChild<QPlainTextEdit *>("ReportLines");
        QVERIFY(lines);
        seen->lines = lines->toPlainText().split(u'\n');
        box->button(QMessageBox::Ok)->click();
    });
}

// Answers the next "С ключом ответов" dialog.
void answerPaperDialog(bool withKey)
{
    whenModal([withKey](QWidget *modal) {
        QCOMPARE(modal->objectName(), QStringLiteral("PaperDialog"));
        auto *key = modal->findChild<QCheckBox *>("WithKey");
        QVERIFY(key);
        QCOMPARE(key->text(), QStringLiteral("С ключом ответов"));
        QVERIFY(!key->isChecked()); // students' copies are the usual ones
        if (withKey)
            QTest::mouseClick(key, Qt::LeftButton, {}, QPoint(5, key->height() / 2));
        QTest::keyClick(modal, Qt::Key_Return);
    });
}

// Clicks the button with this caption in the next "save changes?" box.
void answerSaveChanges(const QString &button, bool *asked)
{
    whenModal([=](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("Сохранить изменения в тесте?"));
        *asked = true;
        for (QAbstractButton *b : box->buttons()) {
            if (b->text() == button)
                return b->click();
        }
        QFAIL("no such button");
    });
}

// A test in dir whose questions have these texts and no options.
QString questionsTitled(const QTemporaryDir &dir, const QStringList &texts)
{
    const QString path = dir.filePath("t.quivara");
    const bool ok = ProfileFile(path).edit([&](IniDocument &doc) {
        doc.writeInteger("Test", "LastQ", int(texts.size()) - 1);
        for (int n = 0; n < texts.size(); ++n)
            doc.writeString(QStringLiteral("Q%1").arg(n), "QLabel", texts[n]);
    });
    return ok ? path : QString();
}

struct Editor
{
    explicit Editor(const QString &path = QString())
        : form(path)
    {
        form.show();
        list = form.findChild<QListWidget *>("Qlist");
        question = form.findChild<QPlainTextEdit *>("QLabel");
        answers = form.findChild<QPlainTextEdit *>("AnsList");
        add = form.findChild<QPushButton *>("QAddButton");
        del = form.findChild<QPushButton *>("QDelButton");
    }
    QStringList captions() const
    {
        QStringList c;
        for (int i = 0; i < list->count(); ++i)
            c.append(list->item(i)->text());
        return c;
    }
    void click(int row)
    {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void retype(QPlainTextEdit *memo, const QString &text)
    {
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(memo, Qt::Key_Delete);
        const QStringList lines = text.split(u'\n');
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(memo, Qt::Key_Return);
            typeText(memo, lines[i]);
        }
    }

    TForm1 form;
    QListWidget *list;
    QPlainTextEdit *question;
    QPlainTextEdit *answers;
    QPushButton *add;
    QPushButton *del;
};

} // namespace

class TstMForm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void startEmpty();
    void startWithFile();
    void missingFileOnCommandLine();
    void addAndEditQuestions();
    void optionsAreTypedLines();
    void deleteSelectsNeighbour_data();
    void deleteSelectsNeighbour();
    void clearedTextGetsPlaceholderWhenLeft();
    void clickingShownQuestionKeepsMemos();
    void typingInListSearchesCaptions();
    void onlyStorableCharacters();
    void newOpenSaveAndSaveAs();
    void unsavedChangesPrompt_data();
    void unsavedChangesPrompt();
    void failedSaveReportsAndKeepsEditing();
    void secondInstance();
    void staleLockDoesNotBlock();
    void aboutBoxIgnoresEscape();
    void keyboardAndAccessibility();
    void questionsPageGeometry();
    void listKeepsItsSelection();
    void deleteWithNothingSelectedDeletesNothing();
    void titleShowsPathAsItIs();
    void fileDialogsShowCaptionAlone();
    void boxesCentreOnScreen();
    void aboutBoxLinkFontAndBevels();
    void settingsPageTabOrder();
    void typeAheadStartsAfreshAfterAPause();
    void saveDialogOffersLastChosenName();
    void runPageShowsAndSetsKeys();
    void gradeThresholds();
    void keepOrderPerQuestion();
    void importShowsReportAndStaysUntitled();
    void closingAnImportedTestSavesItAsNew();
    void exportWritesTheChosenFormat_data();
    void exportWritesTheChosenFormat();
    void paperItemsNeedATest();
    void paperHoldsTheTest_data();
    void paperHoldsTheTest();
};

void TstMForm::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
}

void TstMForm::startEmpty()
{
    Editor e;
    QCOMPARE(e.form.windowTitle(), QStringLiteral("Quivara Builder 0.1"));
    QCOMPARE(e.form.width(), 662);
    QCOMPARE(e.form.height() - e.form.menuBar()->height(), 449);
    const QPoint offCentre
            = e.form.frameGeometry().center() - e.form.screen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 4, "the window is not centred on its screen");
    QVERIFY(!e.form.findChild<QWidget *>("Pages")->isVisible());
    QVERIFY(!e.form.findChild<QAction *>("N3")->isEnabled());
    QVERIFY(!e.form.findChild<QAction *>("N4")->isEnabled());
    QVERIFY(e.form.findChild<QAction *>("N7")->isEnabled());
    QCOMPARE(e.form.findChild<QAction *>("N12")->text(),
             QStringLiteral("Помощь и обсуждение  на форуме"));
    // Nothing to lose: closing asks nothing.
    QVERIFY(e.form.close());
}

void TstMForm::startWithFile()
{
    const QString path = dataPath("capitals.quivara");
    Editor e(path);
    QCOMPARE(e.form.windowTitle(), "Quivara Builder 0.1 - " + path);
    auto *pages = e.form.findChild<QTabWidget *>("Pages");
    QVERIFY(pages->isVisible());
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("QPage"));
    QCOMPARE(e.captions(), (QStringList{"Столица Франции?", "Столица Италии?"}));
    QVERIFY(e.list->selectedItems().isEmpty());
    QVERIFY(!e.question->isEnabled());
    QVERIFY(!e.answers->isEnabled());
    QCOMPARE(e.form.findChild<QLineEdit *>("TestName")->text(), QStringLiteral("Столицы"));
    QCOMPARE(e.form.findChild<QLineEdit *>("Author")->text(), QStringLiteral("Иванов"));
    QVERIFY(!e.form.findChild<QCheckBox *>("AllowFinish")->isChecked());
    QVERIFY(e.form.findChild<QCheckBox *>("ShowResult")->isChecked());
    QVERIFY(!e.form.findChild<QCheckBox *>("ExitOnComplete")->isChecked());
    QVERIFY(e.form.findChild<QAction *>("N3")->isEnabled());
    QVERIFY(!e.form.isModified());
    e.click(1);
    QCOMPARE(e.question->toPlainText(), QStringLiteral("Столица Италии?"));
    QCOMPARE(e.answers->toPlainText(), QStringLiteral("*Рим\nМилан"));
    QVERIFY(!e.form.isModified());
}

void TstMForm::missingFileOnCommandLine()
{
    SeenMessage seen;
    answerNextMessage(&seen);
    TForm1 form("нет/такого.quivara");
    QCOMPARE(seen.text, QStringLiteral("Файл \"нет/такого.quivara\" не существует!"));
    QCOMPARE(seen.title, QStringLiteral("Quivara Builder 0.1"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Quivara Builder 0.1"));
    QVERIFY(form.fileName().isEmpty());
}

void TstMForm::addAndEditQuestions()
{
    QTemporaryDir dir;
    Editor e(copyOf(dir, "capitals.quivara"));
    QTest::mouseClick(e.add, Qt::LeftButton);
    QCOMPARE(e.captions().last(), QStringLiteral("Без текста задания"));
    QCOMPARE(e.list->currentRow(), 2);
    QVERIFY(e.question->isEnabled());
    QCOMPARE(e.question->toPlainText(), QStringLiteral("Без текста задания"));
    QCOMPARE(e.answers->toPlainText(), QString());

    e.retype(e.question, "Столица Испании и её крупнейший город?");
    // The caption follows every keystroke.
    QCOMPARE(e.captions().last(), QStringLiteral("Столица Испании и её крупнейши..."));
    QCOMPARE(e.form.document().questionText(2),
             QStringLiteral("Столица Испании и её крупнейший город?"));
    e.retype(e.answers, "*Мадрид\nБарселона");
    QCOMPARE(e.form.document().answers(2), (QStringList{"*Мадрид", "Барселона"}));
    QVERIFY(e.form.isModified());
}

void TstMForm::optionsAreTypedLines()
{
    QTemporaryDir dir;
    Editor e(copyOf(dir, "capitals.quivara"));
    e.click(0);
    const QString wide(200, u'ш');
    e.retype(e.answers, "Лион\n\n*Париж\n   \n" + wide);
    QVERIFY(e.answers->document()->lastBlock().layout()->lineCount() > 1); // wraps on screen
    QCOMPARE(e.form.document().answers(0), (QStringList{"Лион", "*Париж", "   ", wide}));
}

void TstMForm::deleteSelectsNeighbour_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("selected");
    QTest::newRow("first-of-three") << 3 << 0 << 0;
    QTest::newRow("middle-of-three") << 3 << 1 << 0;
    QTest::newRow("last-of-three") << 3 << 2 << 1;
    QTest::newRow("only-one") << 1 << 0 << -1;
}

void TstMForm::deleteSelectsNeighbour()
{
    QFETCH(int, count);
    QFETCH(int, deleted);
    QFETCH(int, selected);
    QTemporaryDir dir;
    const QString path = dir.filePath("t.quivara");
    QVERIFY(ProfileFile(path).writeInteger("Test", "LastQ", -1));
    Editor e(path);
    const QStringList texts{"Ноль", "Один", "Два"};
    for (int i = 0; i < count; ++i) {
        e.add->click();
        e.retype(e.question, texts[i]);
        e.retype(e.answers, texts[i] + "-ответ");
    }
    e.click(deleted);
    QTest::mouseClick(e.del, Qt::LeftButton);
    QStringList left = texts.mid(0, count);
    left.removeAt(deleted);
    QCOMPARE(e.captions(), left);
    QCOMPARE(e.list->currentRow(), selected);
    QCOMPARE(e.question->isEnabled(), selected >= 0);
    QCOMPARE(e.question->toPlainText(), selected >= 0 ? left[selected] : QString());
    QCOMPARE(e.answers->toPlainText(), selected >= 0 ? left[selected] + "-ответ" : QString());
    // With nothing selected, "Удалить" does nothing.
    if (selected < 0) {
        e.del->click();
        QCOMPARE(e.list->count(), 0);
    }
}

void TstMForm::clearedTextGetsPlaceholderWhenLeft()
{
    QTemporaryDir dir;
    Editor e(copyOf(dir, "capitals.quivara"));
    e.click(0);
    e.retype(e.question, "");
    QCOMPARE(e.form.document().questionText(0), QString());
    e.click(1);
    QCOMPARE(e.form.document().questionText(0), QStringLiteral("Без текста задания"));
    QCOMPARE(e.captions().first(), QStringLiteral("Без текста задания"));
    QCOMPARE(e.question->toPlainText(), QStringLiteral("Столица Италии?"));
}

void TstMForm::clickingShownQuestionKeepsMemos()
{
    Editor e(dataPath("capitals.quivara"));
    e.click(0);
    e.question->setFocus();
    QTest::keyClick(e.question, Qt::Key_End);
    QTest::keyClicks(e.question, "!");
    QVERIFY(e.question->document()->isUndoAvailable());
    e.click(0);
    // Refilling the memo would have cleared its undo history.
    QVERIFY(e.question->document()->isUndoAvailable());
    QCOMPARE(e.question->toPlainText(), QStringLiteral("Столица Франции?!"));
}

void TstMForm::typingInListSearchesCaptions()
{
    QTemporaryDir dir;
    Editor e(questionsTitled(dir, {"Бета", "альфа", "Альфа-2"}));
    e.list->setFocus();
    typeText(e.list, "АЛЬФА-");
    QCOMPARE(e.list->currentRow(), 2);
    QCOMPARE(e.question->toPlainText(), QStringLiteral("Альфа-2")); // selecting shows it
    QTest::keyClick(e.list, Qt::Key_Backspace);
    QCOMPARE(e.list->currentRow(), 1); // "альфа" is the first that begins with "АЛЬФА"
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(e.list, Qt::Key_Backspace);
    QCOMPARE(e.list->currentRow(), 0); // no letters left: the first entry
    QCOMPARE(e.question->toPlainText(), QStringLiteral("Бета"));
}

void TstMForm::onlyStorableCharacters()
{
    QTemporaryDir dir;
    Editor e(copyOf(dir, "capitals.quivara"));
    e.click(0);
    e.retype(e.question, QStringLiteral("Вопрос \u4E2D\u00E9 №1"));
    QCOMPARE(e.form.document().questionText(0), QStringLiteral("Вопрос ?? №1"));
    QApplication::clipboard()->setText(QStringLiteral("*Да \U0001F600"));
    e.retype(e.answers, "");
    QTest::keyClick(e.answers, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(e.form.document().answers(0), QStringList{"*Да ?"});
    auto *name = e.form.findChild<QLineEdit *>("TestName");
    name->setFocus();
    name->selectAll();
    typeText(name, QStringLiteral("Тест \u4E2D"));
    QCOMPARE(name->text(), QStringLiteral("Тест ?"));

    // A question text holds what a read returns, no more.
    e.retype(e.question, "");
    QApplication::clipboard()->setText(QString(3000, u'я'));
    QTest::keyClick(e.question, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(e.form.document().questionText(0).size(), 2047);
}

void TstMForm::newOpenSaveAndSaveAs()
{
    QTemporaryDir dir;
    const QString created = dir.filePath("новый.quivara");
    Editor e;
    chooseInDialog(created);
    e.form.findChild<QAction *>("N7")->trigger();
    QCOMPARE(e.form.fileName(), created);
    QVERIFY(fileContents(created).startsWith("[Test]\r\nCreated="));
    QCOMPARE(e.form.findChild<QLineEdit *>("TestName")->text(),
             QStringLiteral("Еще один тест для Quivara"));
    QCOMPARE(e.list->count(), 0);

    e.add->click();
    e.retype(e.question, "Столица Италии?");
    e.retype(e.answers, "*Рим\nМилан");
    e.form.findChild<QCheckBox *>("ShowResult")->click();
    e.form.findChild<QAction *>("N3")->trigger();
    QVERIFY(!e.form.isModified());
    QVERIFY(fileContents(created).contains("ShowResult=0\r\n"));
    QVERIFY(fileContents(created).endsWith(Cp1251::encode("A0=*Рим\r\nA1=Милан\r\n")));

    const QString copy = dir.filePath("копия");
    chooseInDialog(copy);
    e.form.findChild<QAction *>("N4")->trigger();
    const QString copyPath = copy + ".quivara"; // the default extension is added
    QCOMPARE(e.form.fileName(), copyPath);
    QCOMPARE(e.form.windowTitle(), "Quivara Builder 0.1 - " + copyPath);
    QVERIFY(e.list->selectedItems().isEmpty());
    e.click(0);
    e.retype(e.question, "Столица Франции?");
    e.form.findChild<QAction *>("N3")->trigger();
    QVERIFY(fileContents(copyPath).contains(Cp1251::encode("Столица Франции?")));
    QVERIFY(!fileContents(created).contains(Cp1251::encode("Столица Франции?")));

    // Open goes back to the first file.
    chooseInDialog(created);
    e.form.findChild<QAction *>("N2")->trigger();
    QCOMPARE(e.form.fileName(), created);
    QCOMPARE(e.captions(), QStringList{"Столица Италии?"});
}

using Command = std::function<void(TForm1 &)>;

void TstMForm::unsavedChangesPrompt_data()
{
    QTest::addColumn<Command>("command");
    // The file the command's dialog then chooses: none for closing, a new
    // name for New, a copy of a fixture for Open.
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("otherExists");
    QTest::addColumn<QString>("answer");
    const struct
    {
        const char *name;
        Command command;
        const char *other;
        bool exists;
    } commands[] = {
            {"close", [](TForm1 &form) { form.close(); }, "", false},
            {"new", [](TForm1 &form) { form.findChild<QAction *>("N7")->trigger(); }, "new.quivara",
             false},
            {"open", [](TForm1 &form) { form.findChild<QAction *>("N2")->trigger(); },
             "three_questions.quivara", true},
            {"import", [](TForm1 &form) { form.findChild<QAction *>("ImportItem")->trigger(); },
             "capitals.gift", true},
    };
    const struct
    {
        const char *tag;
        const char *button;
    } answers[] = {{"yes", "Да"}, {"no", "Нет"}, {"cancel", "Отмена"}};
    for (const auto &c : commands) {
        for (const auto &a : answers) {
            QTest::addRow("%s-%s", c.name, a.tag) << c.command << QString::fromLatin1(c.other)
                                                  << c.exists << QString::fromUtf8(a.button);
        }
    }
}

void TstMForm::unsavedChangesPrompt()
{
    QFETCH(Command, command);
    QFETCH(QString, other);
    QFETCH(bool, otherExists);
    QFETCH(QString, answer);
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    const QString otherPath = other.isEmpty() ? QString()
            : otherExists                     ? copyOf(dir, other)
                                              : dir.filePath(other);
    Editor e(path);
    e.form.findChild<QLineEdit *>("Author")->setText("Петров");

    bool asked = false;
    answerSaveChanges(answer, &asked);
    const QString notShown = "<not shown>";
    QString offered = notShown;
    const bool proceeds = answer != "Отмена";
    const bool imports = other.endsWith(".gift");
    if (!otherPath.isEmpty() && proceeds)
        chooseInDialog(otherPath, &offered); // after the question
    SeenReport report;
    if (imports && proceeds)
        answerNextReport(&report); // the essay it skips
    command(e.form);
    QVERIFY(asked);

    const bool saved = fileContents(path).contains(Cp1251::encode("Author=Петров"));
    QCOMPARE(saved, answer == "Да");
    if (otherPath.isEmpty()) // closing the window
        QCOMPARE(e.form.isVisible(), !proceeds);
    else
        QCOMPARE(e.form.fileName(), !proceeds ? path : imports ? QString() : otherPath);
    QCOMPARE(offered != notShown, !otherPath.isEmpty() && proceeds);
    if (!proceeds)
        QCOMPARE(e.form.findChild<QLineEdit *>("Author")->text(), QStringLiteral("Петров"));
}

void TstMForm::failedSaveReportsAndKeepsEditing()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    Editor e(path);
    e.click(0);
    e.retype(e.question, "Изменено");
    // Something else takes the file's place, so it cannot be written.
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path));
    SeenMessage seen;
    answerNextMessage(&seen);
    e.form.findChild<QAction *>("N3")->trigger();
    QCOMPARE(seen.text, QStringLiteral("Unable to write to %1.").arg(path));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.title, QStringLiteral("Quivara Builder 0.1"));
    QVERIFY(e.form.isModified());
    QCOMPARE(e.form.document().questionText(0), QStringLiteral("Изменено"));
}

void TstMForm::secondInstance()
{
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    const std::unique_ptr<TForm1> form
            = startEditor(first, {"quivara-builder", dataPath("capitals.quivara")});
    QVERIFY(form);
    form->show();
    form->showMinimized();
    QSignalSpy forward(&first, &SingleInstance::showRequested);

    SingleInstance second(dir.path());
    SeenMessage seen;
    answerNextMessage(&seen);
    QVERIFY(!startEditor(second, {"/usr/bin/Quivara-Builder.bin"}));
    QCOMPARE(seen.text, QStringLiteral("Quivara Builder уже запущен!"));
    QCOMPARE(seen.title, QStringLiteral("Quivara-builder"));
    QTRY_COMPARE(forward.count(), 1);
    QTRY_VERIFY(!form->isMinimized());
    QCOMPARE(programFileCaption("quivara-builder"), QStringLiteral("quivara-builder"));
}

void TstMForm::staleLockDoesNotBlock()
{
    QTemporaryDir dir;
    // A lock left by a process that no longer runs.
    QFile lock(QDir(dir.path()).filePath("Quivara Builder.lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write("2147483646\nquivara-builder\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    SingleInstance instance(dir.path());
    QVERIFY(instance.tryToRun());
}

void TstMForm::aboutBoxIgnoresEscape()
{
    Editor e;
    bool stillOpen = false;
    QString caption;
    whenModal([&](QWidget *modal) {
        caption = modal->windowTitle();
        QTest::keyClick(modal, Qt::Key_Escape);
        stillOpen = modal->isVisible();
        modal->findChild<QPushButton *>("OKButton")->click();
    });
    e.form.findChild<QAction *>("N10")->trigger();
    QCOMPARE(caption, QStringLiteral("О Quivara Builder"));
    QVERIFY(stillOpen);
}

void TstMForm::keyboardAndAccessibility()
{
    Editor e(dataPath("capitals.quivara"));
    e.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&e.form));
    auto name = [](QWidget *w) {
        return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    };
    QCOMPARE(name(e.form.findChild<QWidget *>("TestName")), QStringLiteral("Название:"));
    QCOMPARE(name(e.question), QStringLiteral("Текст задания:"));
    QCOMPARE(name(e.answers), QStringLiteral("Варианты ответа:"));
    QCOMPARE(name(e.list), QStringLiteral("Тестовые задания"));

    // The questions page in its tab order: list, question, delete, add, answers.
    e.list->setFocus();
    QTest::keyClick(e.list, Qt::Key_End);
    QCOMPARE(e.question->toPlainText(), QStringLiteral("Столица Италии?"));
    QTest::keyClick(e.list, Qt::Key_Up);
    QCOMPARE(e.question->toPlainText(), QStringLiteral("Столица Франции?"));
    QStringList order;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(order, (QStringList{"QLabel", "QDelButton", "QAddButton", "AnsList"}));
}

void TstMForm::questionsPageGeometry()
{
    Editor e(dataPath("capitals.quivara"));
    QVERIFY(QTest::qWaitForWindowExposed(&e.form));
    auto geometryOf
            = [&](const char *name) { return e.form.findChild<QWidget *>(name)->geometry(); };
    QCOMPARE(geometryOf("Qlist"), QRect(3, 3, 196, 374));
    QCOMPARE(geometryOf("QLabel"), QRect(205, 25, 446, 149));
    QCOMPARE(geometryOf("AnsList"), QRect(205, 202, 446, 132));
    QCOMPARE(geometryOf("Label4"), QRect(205, 340, 446, 37));
    QCOMPARE(geometryOf("QAddButton"), QRect(3, 383, 95, 25));
    QCOMPARE(geometryOf("QDelButton"), QRect(104, 383, 95, 25));
    // Larger by 100 × 50: each widget keeps to its anchored edges.
    e.form.resize(e.form.size() + QSize(100, 50));
    QTRY_COMPARE(geometryOf("Qlist"), QRect(3, 3, 196, 424));
    QCOMPARE(geometryOf("QLabel"), QRect(205, 25, 546, 149));
    QCOMPARE(geometryOf("AnsList"), QRect(205, 202, 546, 182));
    QCOMPARE(geometryOf("Label4"), QRect(205, 390, 546, 37));
    QCOMPARE(geometryOf("QAddButton"), QRect(3, 433, 95, 25));
}

void TstMForm::listKeepsItsSelection()
{
    QTemporaryDir dir;
    Editor e(copyOf(dir, "capitals.quivara"));
    e.click(1);
    // Ctrl+click and Ctrl+Space on the selected entry leave it selected.
    const QRect rect = e.list->visualItemRect(e.list->item(1));
    QTest::mouseClick(e.list->viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
    QCOMPARE(e.list->selectedItems().size(), 1);
    QCOMPARE(e.list->currentRow(), 1);
    e.list->setFocus();
    QTest::keyClick(e.list, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(e.list->selectedItems().size(), 1);
    // "Удалить" then deletes that question.
    e.del->click();
    QCOMPARE(e.captions(), QStringList{"Столица Франции?"});
}

void TstMForm::deleteWithNothingSelectedDeletesNothing()
{
    QTemporaryDir dir;
    Editor e(copyOf(dir, "capitals.quivara"));
    QCOMPARE(e.list->count(), 2);
    QVERIFY(e.list->selectedItems().isEmpty()); // as loaded
    e.del->click();
    QCOMPARE(e.list->count(), 2);
    QCOMPARE(e.form.document().questionCount(), 2);
}

void TstMForm::titleShowsPathAsItIs()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("тест [*] звёздочки.quivara");
    QVERIFY(QFile::copy(dataPath("capitals.quivara"), path));
    Editor e(path);
    QVERIFY(QTest::qWaitForWindowExposed(&e.form));
    QCOMPARE(e.form.windowHandle()->title(), QStringLiteral("Quivara Builder 0.1 - ") + path);
}

void TstMForm::fileDialogsShowCaptionAlone()
{
    QTemporaryDir dir;
    Editor e(copyOf(dir, "capitals.quivara"));
    for (const char *command : {"N2", "N4"}) { // Open and Save as
        QString shown;
        QStringList filters;
        whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            shown = dialog->findChild<QComboBox *>("fileTypeCombo")->currentText();
            filters = dialog->nameFilters();
            dialog->reject();
        });
        e.form.findChild<QAction *>(command)->trigger();
        QCOMPARE(shown, QStringLiteral("Файлы тестов для Quivara"));
        QCOMPARE(filters, QStringList{"Файлы тестов для Quivara (*.quivara)"});
    }
}

void TstMForm::boxesCentreOnScreen()
{
    QTemporaryDir dir;
    Editor e(copyOf(dir, "capitals.quivara"));
    e.form.move(0, 0);
    QVERIFY(QTest::qWaitForWindowExposed(&e.form));
    QList<QPoint> offCentre;
    auto note = [&](QWidget *modal) {
        offCentre.append(offScreenCentre(modal));
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            for (QAbstractButton *b : box->buttons()) {
                if (b->text() == QStringLiteral("Отмена"))
                    return b->click();
            }
        } else
            modal->findChild<QPushButton *>("OKButton")->click();
    };
    whenModal(note);
    e.form.findChild<QAction *>("N10")->trigger(); // the about box
    e.click(0);
    e.retype(e.question, "Изменено");
    whenModal(note);
    e.form.findChild<QAction *>("N7")->trigger(); // New asks about the changes
    QCOMPARE(offCentre.size(), 2);
    for (const QPoint &off : offCentre)
        QVERIFY2(off.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(off.x()).arg(off.y())));
}

void TstMForm::aboutBoxLinkFontAndBevels()
{
    Editor e;
    AboutBoxLook look;
    whenModal([&](QWidget *modal) {
        look = lookAtAboutBox(modal);
        modal->findChild<QPushButton *>("OKButton")->click();
    });
    e.form.findChild<QAction *>("N10")->trigger();
    QCOMPARE(look.linkFamily, look.boxFamily); // the box's own font, not the runner's Tahoma
    QVERIFY(look.link.contains("underline") && look.link.contains("#0000ff"));
    QCOMPARE(look.linkUnderMouse, look.link); // stays blue under the mouse
    QCOMPARE(look.outerBevel, int(QFrame::Sunken));
    QCOMPARE(look.innerBevel, int(QFrame::Raised));
}

void TstMForm::settingsPageTabOrder()
{
    Editor e(dataPath("capitals.quivara"));
    e.form.findChild<QTabWidget *>("Pages")->setCurrentIndex(0);
    e.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&e.form));
    e.form.findChild<QWidget *>("TestName")->setFocus();
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(order,
             (QStringList{"ShowResult", "AllowFinish", "DisableOpenTest", "ExitOnComplete",
                          "Author", "MessageOnComplete"}));
}

void TstMForm::typeAheadStartsAfreshAfterAPause()
{
    QTemporaryDir dir;
    Editor e(questionsTitled(dir, {"Альфа", "АБВ", "Бета"}));
    e.list->setFocus();
    typeText(e.list, "А");
    QCOMPARE(e.list->currentRow(), 0);
    typeText(e.list, "Б"); // at once: "АБ"
    QCOMPARE(e.list->currentRow(), 1);
    QTest::qWait(600); // past the 500 ms: "Б" alone
    typeText(e.list, "Б");
    QCOMPARE(e.list->currentRow(), 2);
}

void TstMForm::saveDialogOffersLastChosenName()
{
    QTemporaryDir dir;
    Editor e(copyOf(dir, "capitals.quivara"));
    const QString first = dir.filePath("первая копия.quivara");
    QString offered;
    chooseInDialog(first, &offered);
    e.form.findChild<QAction *>("N4")->trigger();
    QCOMPARE(e.form.fileName(), first);
    chooseInDialog(dir.filePath("вторая.quivara"), &offered);
    e.form.findChild<QAction *>("N4")->trigger();
    QCOMPARE(offered, QStringLiteral("первая копия.quivara"));
}

void TstMForm::runPageShowsAndSetsKeys()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    const QByteArray before = fileContents(path);
    Editor e(path);
    QVERIFY(QTest::qWaitForWindowExposed(&e.form));
    auto *pages = e.form.findChild<QTabWidget *>("Pages");
    QCOMPARE(pages->count(), 3);
    QCOMPARE(pages->tabText(2), QStringLiteral("Проведение"));
    pages->setCurrentIndex(2);
    auto *shuffleQuestions = e.form.findChild<QCheckBox *>("ShuffleQuestions");
    auto *time = e.form.findChild<QSpinBox *>("TimeLimit");
    auto *askName = e.form.findChild<QCheckBox *>("AskName");
    auto *review = e.form.findChild<QComboBox *>("Review");
    QTRY_VERIFY(shuffleQuestions->isVisible());
    // A test without the keys shows their defaults, and saving it unchanged
    // writes exactly what was there.
    QVERIFY(!shuffleQuestions->isChecked());
    QCOMPARE(time->value(), 0);
    QCOMPARE(review->currentText(), QStringLiteral("нет"));
    QCOMPARE(review->count(), 3);
    QCOMPARE(review->itemText(2), QStringLiteral("ответы и правильные варианты"));
    QVERIFY(!e.form.isModified());
    e.form.findChild<QAction *>("N3")->trigger();
    QCOMPARE(fileContents(path), before);

    // Each control changes the test at once, by mouse or keyboard.
    QTest::mouseClick(shuffleQuestions, Qt::LeftButton, {},
                      QPoint(8, shuffleQuestions->height() / 2));
    QVERIFY(e.form.isModified());
    time->setFocus();
    QTest::keyClick(time, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(time, "30");
    askName->setFocus();
    QTest::keyClick(askName, Qt::Key_Space);
    review->setFocus();
    QTest::keyClick(review, Qt::Key_Down);
    e.form.findChild<QAction *>("N3")->trigger();
    QVERIFY(!e.form.isModified());
    const RunOptions saved = RunOptions::read(IniDocument::parse(fileContents(path)));
    QVERIFY(saved.shuffleQuestions);
    QVERIFY(!saved.shuffleAnswers);
    QCOMPARE(saved.timeLimit, 30);
    QVERIFY(saved.askName);
    QCOMPARE(saved.review, RunOptions::StudentAnswers);
    // Back to the defaults: a change again, and the keys stay in the file.
    QTest::mouseClick(shuffleQuestions, Qt::LeftButton, {},
                      QPoint(8, shuffleQuestions->height() / 2));
    QVERIFY(e.form.isModified());
    e.form.findChild<QAction *>("N3")->trigger();
    QVERIFY(fileContents(path).contains("ShuffleQuestions=0\r\n"));

    // Opened again, the page shows what the file holds.
    Editor again(path);
    QCOMPARE(again.form.findChild<QSpinBox *>("TimeLimit")->value(), 30);
    QVERIFY(again.form.findChild<QCheckBox *>("AskName")->isChecked());
    QCOMPARE(again.form.findChild<QComboBox *>("Review")->currentIndex(), 1);
    QVERIFY(!again.form.isModified());
    QCOMPARE(QAccessible::queryAccessibleInterface(again.form.findChild<QSpinBox *>("TimeLimit"))
                     ->text(QAccessible::Name),
             QStringLiteral("Ограничение времени, мин (0 — нет):"));
}

void TstMForm::gradeThresholds()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    Editor e(path);
    QVERIFY(QTest::qWaitForWindowExposed(&e.form));
    e.form.findChild<QTabWidget *>("Pages")->setCurrentIndex(2);
    auto *grades = e.form.findChild<QCheckBox *>("Grades");
    auto *g5 = e.form.findChild<QSpinBox *>("Grade5");
    auto *g4 = e.form.findChild<QSpinBox *>("Grade4");
    auto *g3 = e.form.findChild<QSpinBox *>("Grade3");
    auto *error = e.form.findChild<QLabel *>("GradeError");
    QTRY_VERIFY(grades->isVisible());
    QVERIFY(!g5->isEnabled());
    QTest::mouseClick(grades, Qt::LeftButton, {}, QPoint(8, grades->height() / 2));
    QVERIFY(g5->isEnabled());
    QCOMPARE((QList<int>{g5->value(), g4->value(), g3->value()}), (QList<int>{85, 70, 50}));
    QVERIFY(e.form.isModified());

    // 4 above 5 is refused, with the reason beside the fields.
    g4->setFocus();
    QTest::keyClick(g4, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(g4, "90");
    QVERIFY(error->isVisible());
    QCOMPARE(error->text(), QStringLiteral("Порог оценки 5 не может быть ниже порога оценки 4."));
    e.form.findChild<QAction *>("N3")->trigger();
    RunOptions saved = RunOptions::read(IniDocument::parse(fileContents(path)));
    QCOMPARE((QList<int>{saved.grade5, saved.grade4, saved.grade3}), (QList<int>{85, 70, 50}));
    // Put right, it is taken.
    QTest::keyClick(g4, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(g4, "80");
    QCOMPARE(error->text(), QString());
    g3->setFocus();
    QTest::keyClick(g3, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(g3, "81");
    QCOMPARE(error->text(), QStringLiteral("Порог оценки 4 не может быть ниже порога оценки 3."));
    QTest::keyClick(g3, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(g3, "80");
    QCOMPARE(error->text(), QString());
    e.form.findChild<QAction *>("N3")->trigger();
    saved = RunOptions::read(IniDocument::parse(fileContents(path)));
    QVERIFY(saved.grades);
    QCOMPARE((QList<int>{saved.grade5, saved.grade4, saved.grade3}), (QList<int>{85, 80, 80}));

    // Turned off, the three keys are written empty.
    QTest::mouseClick(grades, Qt::LeftButton, {}, QPoint(8, grades->height() / 2));
    e.form.findChild<QAction *>("N3")->trigger();
    QVERIFY(fileContents(path).contains("Grade5=\r\nGrade4=\r\nGrade3=\r\n"));
}

void TstMForm::keepOrderPerQuestion()
{
    QTemporaryDir dir;
    const QString path = copyOf(dir, "capitals.quivara");
    Editor e(path);
    QVERIFY(QTest::qWaitForWindowExposed(&e.form));
    auto *keep = e.form.findChild<QCheckBox *>("KeepOrder");
    QCOMPARE(keep->text(), QStringLiteral("Не перемешивать варианты"));
    QVERIFY(!keep->isEnabled());
    // Placed where it covers none of the page's widgets.
    for (const char *name : {"Qlist", "QLabel", "AnsList", "Label4", "Label5", "Label6"}) {
        QVERIFY2(!keep->geometry().intersects(e.form.findChild<QWidget *>(name)->geometry()), name);
    }
    e.click(1);
    QVERIFY(keep->isEnabled());
    QVERIFY(!keep->isChecked());
    QTest::mouseClick(keep, Qt::LeftButton, {}, QPoint(keep->width() - 8, keep->height() / 2));
    QVERIFY(e.form.isModified());
    e.click(0);
    QVERIFY(!keep->isChecked());
    e.click(1);
    QVERIFY(keep->isChecked());
    e.form.findChild<QAction *>("N3")->trigger();
    const QByteArray bytes = fileContents(path);
    QVERIFY(bytes.endsWith(Cp1251::encode("A1=Милан\r\nShuffle=0\r\n")));
    QCOMPARE(bytes.count("Shuffle"), 1);
}

void TstMForm::importShowsReportAndStaysUntitled()
{
    QTemporaryDir dir;
    const QString gift = copyOf(dir, "capitals.gift");
    Editor e;
    QVERIFY(!e.form.findChild<QAction *>("ExportItem")->isEnabled());
    SeenReport report;
    chooseInDialog(gift);
    answerNextReport(&report);
    e.form.findChild<QAction *>("ImportItem")->trigger();
    QCOMPARE(report.icon, QMessageBox::Warning);
    QCOMPARE(report.text,
             QStringLiteral("Тест импортирован из файла \"%1\" не полностью:").arg(gift));
    QCOMPARE(report.lines.size(), 1);
    QVERIFY2(report.lines[0].startsWith("Строка 4: "), qPrintable(report.lines[0]));
    QCOMPARE(e.captions(), QStringList{"Столица Франции?"});
    QCOMPARE(e.form.windowTitle(), QStringLiteral("Quivara Builder 0.1"));
    QVERIFY(e.form.isModified());
    QVERIFY(e.form.findChild<QTabWidget *>("Pages")->isVisible());
    for (const char *item : {"N3", "N4", "ExportItem", "PrintItem", "PdfItem"})
        QVERIFY2(e.form.findChild<QAction *>(item)->isEnabled(), item);

    // Save asks for a name, as Save as does.
    const QString saved = dir.filePath("столицы");
    chooseInDialog(saved);
    e.form.findChild<QAction *>("N3")->trigger();
    QCOMPARE(e.form.fileName(), saved + ".quivara");
    QCOMPARE(e.form.windowTitle(), "Quivara Builder 0.1 - " + saved + ".quivara");
    QVERIFY(!e.form.isModified());
    QCOMPARE(ProfileFile(saved + ".quivara").readString("Q0", "A1", {}), QStringLiteral("*Париж"));
}

void TstMForm::closingAnImportedTestSavesItAsNew()
{
    QTemporaryDir dir;
    Editor e;
    // Aiken's files end in .txt as any text does: the dialog's filter tells the format.
    const QString aiken = dir.filePath("вопросы.txt");
    QVERIFY(writeFile(aiken, "Столица Франции?\nA. Лион\nB. Париж\nANSWER: B\n"));
    chooseFilterAndPath("Aiken", aiken);
    e.form.findChild<QAction *>("ImportItem")->trigger();
    QCOMPARE(e.captions(), QStringList{"Столица Франции?"});
    bool asked = false;
    answerSaveChanges("Да", &asked);
    const QString path = dir.filePath("при закрытии.quivara");
    chooseInDialog(path);
    e.form.close();
    QVERIFY(asked);
    QVERIFY(!e.form.isVisible());
    QCOMPARE(ProfileFile(path).readString("Q0", "QLabel", {}), QStringLiteral("Столица Франции?"));
}

void TstMForm::exportWritesTheChosenFormat_data()
{
    QTest::addColumn<Interchange::Format>("format");
    QTest::addColumn<int>("skipped"); // of mixed.quivara's four questions
    QTest::newRow("GIFT") << Interchange::Format::Gift << 1;
    QTest::newRow("Aiken") << Interchange::Format::Aiken << 2;
    QTest::newRow("Moodle XML") << Interchange::Format::MoodleXml << 1;
}

void TstMForm::exportWritesTheChosenFormat()
{
    QFETCH(Interchange::Format, format);
    QFETCH(int, skipped);
    QTemporaryDir dir;
    Editor e(copyOf(dir, "mixed.quivara"));
    const QString out = dir.filePath("экспорт");
    SeenReport report;
    chooseFilterAndPath(Interchange::caption(format), out);
    answerNextReport(&report);
    e.form.findChild<QAction *>("ExportItem")->trigger();
    // The name typed without an extension gets the format's.
    const QString written = out + "." + Interchange::suffix(format);
    Report expected;
    EditorSession session;
    QVERIFY(session.load(e.form.fileName()).ok);
    QCOMPARE(fileContents(written), Interchange::write(format, session.test(), expected));
    QCOMPARE(report.lines.size(), skipped);
    QCOMPARE(report.icon, QMessageBox::Warning);
    QVERIFY(report.lines.last().startsWith(QStringLiteral("вопрос 4 пропущен")));
    QVERIFY(!e.form.isModified()); // an export is no save
}

void TstMForm::paperItemsNeedATest()
{
    Editor e;
    const QList<QAction *> items = e.form.findChild<QMenu *>("N1")->actions();
    QStringList texts;
    for (const QAction *item : items)
        texts.append(item->isSeparator() ? QStringLiteral("-") : item->text());
    QCOMPARE(texts,
             QStringList({"Создать...", "-", "Открыть...", "Сохранить", "Сохранить как...", "-",
                          "Выход", "-", "Импорт...", "Экспорт...", "Печать...", "Экспорт в PDF...",
                          "Журнал результатов..."}));
    for (const char *item : {"ExportItem", "PrintItem", "PdfItem"})
        QVERIFY2(!e.form.findChild<QAction *>(item)->isEnabled(), item);
    QVERIFY(e.form.findChild<QAction *>("ImportItem")->isEnabled());
}

void TstMForm::paperHoldsTheTest_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("withKey");
    QTest::newRow("PDF for the students") << "PdfItem" << false;
    QTest::newRow("PDF with the key") << "PdfItem" << true;
    QTest::newRow("printed with the key") << "PrintItem" << true;
}

void TstMForm::paperHoldsTheTest()
{
    QFETCH(QString, item);
    QFETCH(bool, withKey);
    if (!havePdfToText())
        QSKIP("pdftotext (poppler-utils) is not installed: the PDF cannot be read");
    QTemporaryDir dir;
    Editor e(copyOf(dir, "mixed.quivara"));
    const QString pdf = dir.filePath("тест.pdf");
    answerPaperDialog(withKey);
    if (item == "PdfItem") {
        chooseInDialog(dir.filePath("тест")); // the extension is added
    } else {
        // No printer is set up here: the print dialog's own "print to a file" takes it.
        whenModalOf<QPrintDialog>([pdf](QPrintDialog *dialog) {
            dialog->printer()->setOutputFileName(pdf);
            if (auto *name = dialog->findChild<QLineEdit *>("filename"))
                name->setText(pdf);
            dialog->accept();
        });
    }
    e.form.findChild<QAction *>(item)->trigger();
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), withKey ? 2 : 1);
    QVERIFY(pages[0].startsWith("Смешанный"));
    QVERIFY(pages[0].contains("1. Столица Франции? ☐ а) Лион ☐ б) Париж ☐ в) Марсель"));
    QVERIFY(pages[0].contains("3. Первая строка вторая строка"));
    QVERIFY(pages[0].contains("4. Без ответа ☐ а) а ☐ б) б"));
    QVERIFY(!pages[0].contains('*'));
    QCOMPARE(pages.last().startsWith("Ключ ответов"), withKey);
}

QTEST_MAIN(TstMForm)
#include "tst_mform.moc"

#include "mainform.h"
#include "profilefile.h"
#include "radiogroup.h"
#include "modalwindows.h"
#include "testfiles.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>

#include <functional>

namespace {

QString plain(const QLabel *label)
{
    return QTextDocumentFragment::fromHtml(label->text()).toPlainText();
}

QString accessibleName(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

// A copy of capitals.quivara with some settings changed.
QString capitalsWith(const QTemporaryDir &dir, const QList<QPair<QString, QString>> &settings)
{
    const QString path = copyOf(dir, "capitals.quivara");
    ProfileFile file(path);
    const bool ok = file.edit([&](IniDocument &doc) {
        for (const auto &[key, value] : settings)
            doc.writeString("Test", key, value);
    });
    return ok ? path : QString();
}

} // namespace

class TstMainForm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void startScreen();
    void startWithTest();
    void missingFileOnCommandLine();
    void answerByMouse();
    void answerByKeyboard();
    void backAndForthKeepsAnswers();
    void finish_data();
    void finish();
    void openTestGreyedUntilResultDismissed();
    void openSecondTestThroughDialog();
    void typedMissingNameReportsIt();
    void resizeKeepsLayout();
    void testTextIsNeverMarkup();
    void webLinksAndAboutBox();
    void wholeTestByKeyboardAlone();
    void accessibleNames();
};

void TstMainForm::initTestCase()
{
    // A window closed at the end of a test must not end the test program.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TstMainForm::startScreen()
{
    TMForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.windowTitle(), QStringLiteral("Quivara 0.1"));
    QCOMPARE(form.centralWidget()->size(), QSize(673, 553));
    const QPoint offCentre = form.frameGeometry().center() - form.screen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 4, "the window is not centred on its screen");
    auto *open = form.findChild<QPushButton *>("OpenTestButton");
    QVERIFY(open->isVisible());
    QCOMPARE(open->geometry(), QRect(673 / 2 - 65, 553 / 2 - 64, 130, 32));
    QVERIFY(!form.findChild<QWidget *>("TestPanel")->isVisible());
    QVERIFY(form.findChild<QAction *>("N2")->isEnabled());
    QVERIFY(!open->icon().isNull());
}

void TstMainForm::startWithTest()
{
    TMForm form(dataPath("capitals.quivara"));
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("Quivara 0.1 - Столицы"));
    QVERIFY(form.findChild<QWidget *>("TestPanel")->isVisible());
    QVERIFY(!form.findChild<QWidget *>("OpenTestButton")->isVisible());
    QCOMPARE(form.findChild<QLabel *>("QIndicator")->text(), QStringLiteral("Вопрос 1 из 2:"));
    QCOMPARE(plain(form.findChild<QLabel *>("QLabel")), QStringLiteral("Столица Франции?"));
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    QCOMPARE(group->items(), (QStringList{"Лион", "Париж ", "Марсель"}));
    QCOMPARE(group->selected(), -1);
    QVERIFY(!form.findChild<QPushButton *>("PQButton")->isEnabled());
    QVERIFY(form.findChild<QPushButton *>("NQButton")->isEnabled());
    QVERIFY(!form.findChild<QPushButton *>("FinishButton")->isEnabled());
    QVERIFY(!form.findChild<QAction *>("N2")->isEnabled());
}

void TstMainForm::missingFileOnCommandLine()
{
    SeenMessage seen;
    answerNextMessage(&seen);
    TMForm form("no/such/test.quivara");
    QCOMPARE(seen.text, QStringLiteral("Файл \"no/such/test.quivara\" не существует!"));
    QCOMPARE(seen.title, QStringLiteral("Quivara 0.1"));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QMessageBox::Ok);
    QVERIFY(!form.isVisible()); // the message came before the window
    form.show();
    QVERIFY(form.findChild<QWidget *>("OpenTestButton")->isVisible());
    QVERIFY(!form.findChild<QWidget *>("TestPanel")->isVisible());
}

void TstMainForm::answerByMouse()
{
    TMForm form(dataPath("capitals.quivara"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    QRadioButton *paris = group->button(1);
    QTest::mouseClick(paris, Qt::LeftButton, {}, QPoint(8, paris->height() / 2));
    QCOMPARE(form.run().answers(), (QStringList{"Париж ", ""}));
    QTest::mouseClick(group->button(2), Qt::LeftButton, {}, QPoint(8, paris->height() / 2));
    QCOMPARE(form.run().answers(), (QStringList{"Марсель", ""}));
}

void TstMainForm::answerByKeyboard()
{
    TMForm form(dataPath("capitals.quivara"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    group->button(0)->setFocus();
    QTest::keyClick(group->button(0), Qt::Key_Space);
    QCOMPARE(form.run().answers().first(), QStringLiteral("Лион"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(group->selected(), 1);
    QCOMPARE(form.run().answers().first(), QStringLiteral("Париж "));
    // Space on the option already selected is no pick: nothing changes.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(form.run().answers().first(), QStringLiteral("Париж "));
}

void TstMainForm::backAndForthKeepsAnswers()
{
    TMForm form(dataPath("capitals.quivara"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    auto *next = form.findChild<QPushButton *>("NQButton");
    auto *back = form.findChild<QPushButton *>("PQButton");
    group->button(1)->click();
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(form.findChild<QLabel *>("QIndicator")->text(), QStringLiteral("Вопрос 2 из 2:"));
    QCOMPARE(group->items(), (QStringList{"Рим ", "Милан"}));
    QCOMPARE(group->selected(), -1);
    QVERIFY(!next->isEnabled());
    QVERIFY(back->isEnabled());
    group->button(1)->click();
    QVERIFY(form.findChild<QPushButton *>("FinishButton")->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(group->selected(), 1);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(group->selected(), 1);
    QCOMPARE(form.run().answers(), (QStringList{"Париж ", "Милан"}));
}

void TstMainForm::finish_data()
{
    QTest::addColumn<QString>("allowFinish");
    QTest::addColumn<QString>("showResult");
    QTest::addColumn<QString>("exitOnComplete");
    QTest::addColumn<bool>("answerAll");
    QTest::addColumn<QString>("message");
    const QString figures = "Тест завершен!\n\nВсего вопросов: 2\nДано ответов: %1\n"
                            "Правильных ответов: %2";
    QTest::newRow("answered-show-stay") << "0" << "1" << "0" << true
                                        << figures.arg("2 (100%)", "1 (50%)");
    QTest::newRow("answered-show-exit") << "0" << "1" << "1" << true
                                        << figures.arg("2 (100%)", "1 (50%)");
    QTest::newRow("answered-no-figures") << "0" << "0" << "0" << true << "Тест завершен!";
    QTest::newRow("allow-finish-nothing-answered") << "1" << "1" << "0" << false
                                                   << figures.arg("0 (0%)", "0 (0%)");
}

void TstMainForm::finish()
{
    QFETCH(QString, allowFinish);
    QFETCH(QString, showResult);
    QFETCH(QString, exitOnComplete);
    QFETCH(bool, answerAll);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = capitalsWith(dir, {{"AllowFinish", allowFinish},
                                            {"ShowResult", showResult},
                                            {"ExitOnComplete", exitOnComplete}});
    TMForm form(path);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *finishButton = form.findChild<QPushButton *>("FinishButton");
    if (answerAll) {
        auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
        group->button(1)->click();
        form.findChild<QPushButton *>("NQButton")->click();
        group->button(1)->click();
    }
    QVERIFY(finishButton->isEnabled());
    QString shown;
    bool panelHiddenDuringMessage = false;
    whenModal([&](QWidget *modal) {
        shown = QTextDocumentFragment::fromHtml(static_cast<QMessageBox *>(modal)->text())
                        .toPlainText();
        panelHiddenDuringMessage = !form.findChild<QWidget *>("TestPanel")->isVisible();
        modal->close();
    });
    QTest::mouseClick(finishButton, Qt::LeftButton);
    QCOMPARE(shown, message);
    QVERIFY(panelHiddenDuringMessage);
    QCOMPARE(form.isVisible(), exitOnComplete == "0");
    if (exitOnComplete == "0") {
        QVERIFY(form.findChild<QWidget *>("OpenTestButton")->isVisible());
        QVERIFY(form.findChild<QAction *>("N2")->isEnabled());
        QCOMPARE(form.windowTitle(), QStringLiteral("Quivara 0.1 - Столицы"));
    }
}

void TstMainForm::openTestGreyedUntilResultDismissed()
{
    TMForm form(dataPath("capitals.quivara"));
    form.show();
    auto *n2 = form.findChild<QAction *>("N2");
    QVERIFY(!n2->isEnabled());
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    group->button(0)->click();
    form.findChild<QPushButton *>("NQButton")->click();
    group->button(0)->click();
    bool enabledDuringMessage = true;
    whenModal([&](QWidget *modal) {
        enabledDuringMessage = n2->isEnabled();
        modal->close();
    });
    form.findChild<QPushButton *>("FinishButton")->click();
    QVERIFY(!enabledDuringMessage);
    QVERIFY(n2->isEnabled());
}

void TstMainForm::openSecondTestThroughDialog()
{
    TMForm form(dataPath("three_questions.quivara"));
    form.show();
    auto *n2 = form.findChild<QAction *>("N2");
    QVERIFY(n2->isEnabled()); // DisableOpenTest=0
    form.findChild<RadioGroupBox *>("RadioGroup")->button(0)->click();

    chooseInDialog(dataPath("capitals.quivara"));
    n2->trigger();
    QCOMPARE(form.windowTitle(), QStringLiteral("Quivara 0.1 - Столицы"));
    QCOMPARE(form.run().answers(), (QStringList{"", ""}));
    QVERIFY(!n2->isEnabled());

    // The name chosen last is offered again.
    QString offered;
    whenModal([&](QWidget *modal) {
        offered = modal->findChild<QLineEdit *>("fileNameEdit")->text();
        modal->close();
    });
    form.findChild<QPushButton *>("OpenTestButton")->click();
    QCOMPARE(offered, QStringLiteral("capitals.quivara"));
}

void TstMainForm::typedMissingNameReportsIt()
{
    TMForm form;
    form.show();
    QString offered = "<not shown>";
    whenModal([&](QWidget *modal) {
        offered = modal->findChild<QLineEdit *>("fileNameEdit")->text();
        modal->close();
    });
    form.findChild<QPushButton *>("OpenTestButton")->click();
    QCOMPARE(offered, QString()); // nothing chosen yet, nothing offered

    QTemporaryDir dir;
    const QString missing = dir.filePath("нет такого.quivara");
    SeenMessage seen;
    chooseInDialog(missing);
    QTimer::singleShot(200, [&] { answerNextMessage(&seen); });
    form.findChild<QPushButton *>("OpenTestButton")->click();
    QTRY_VERIFY(!seen.text.isEmpty());
    QCOMPARE(seen.text, QStringLiteral("Файл \"%1\" не существует!").arg(missing));
    QVERIFY(form.findChild<QWidget *>("OpenTestButton")->isVisible());
}

void TstMainForm::resizeKeepsLayout()
{
    TMForm form(dataPath("capitals.quivara"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.resize(form.width() + 100, form.height() + 50);
    QTRY_COMPARE(form.centralWidget()->size(), QSize(773, 603));
    QCOMPARE(form.findChild<QWidget *>("QBox")->geometry(), QRect(8, 31, 757, 329));
    QCOMPARE(form.findChild<QWidget *>("RadioGroup")->geometry(), QRect(8, 366, 757, 191));
    QCOMPARE(form.findChild<QWidget *>("FinishButton")->geometry(), QRect(8, 563, 190, 32));
    QCOMPARE(form.findChild<QWidget *>("PQButton")->geometry(), QRect(539, 563, 110, 32));
    QCOMPARE(form.findChild<QWidget *>("NQButton")->geometry(), QRect(655, 563, 110, 32));
    QCOMPARE(form.findChild<QWidget *>("QIndicator")->pos(), QPoint(8, 7));
}

void TstMainForm::testTextIsNeverMarkup()
{
    QTemporaryDir dir;
    const QString path = capitalsWith(dir, {{"MessageOnComplete", "<i>Конец</i> & R&&D"},
                                            {"ShowResult", "0"},
                                            {"AllowFinish", "1"}});
    QVERIFY(ProfileFile(path).writeString("Q0", "QLabel", "<b>Жирный?</b> R&D && <br> x"));
    TMForm form(path);
    form.show();
    auto *label = form.findChild<QLabel *>("QLabel");
    QCOMPARE(plain(label), QStringLiteral("<b>Жирный?</b> RD & <br> x"));
    QVERIFY(label->text().contains(QStringLiteral("<u>D</u>")));
    QCOMPARE(accessibleName(label), QStringLiteral("<b>Жирный?</b> RD & <br> x"));
    SeenMessage seen;
    answerNextMessage(&seen);
    form.findChild<QPushButton *>("FinishButton")->click();
    // "& " underlines the blank after it, so two blanks show.
    QCOMPARE(seen.text, QStringLiteral("<i>Конец</i>  R&D"));
}

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QStringList urls;
public slots:
    void open(const QUrl &url) { urls.append(url.toString()); }
};

void TstMainForm::webLinksAndAboutBox()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    TMForm form;
    form.show();
    form.findChild<QAction *>("N8")->trigger();
    form.findChild<QAction *>("N9")->trigger();
    QString caption;
    whenModal([&](QWidget *modal) {
        caption = modal->windowTitle();
        auto *link = modal->findChild<QLabel *>("WebSite");
        QVERIFY(link);
        emit link->linkActivated(link->text());
        modal->close();
    });
    form.findChild<QAction *>("N6")->trigger();
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(caption, QStringLiteral("О Quivara"));
    QCOMPARE(catcher.urls, (QStringList{"https://quivara.example.org",
                                        "https://quivara.example.org/forum/",
                                        "https://quivara.example.org"}));
}

void TstMainForm::wholeTestByKeyboardAlone()
{
    TMForm form;
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto *open = form.findChild<QPushButton *>("OpenTestButton");
    open->setFocus();
    chooseInDialog(dataPath("capitals.quivara"));
    QTest::keyClick(open, Qt::Key_Space);
    QVERIFY(form.findChild<QWidget *>("TestPanel")->isVisible());
    // Without a window manager nobody gives the focus back after the dialog.
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(QApplication::focusWidget());

    // Tab reaches the options; arrows choose; Tab moves on to "Далее".
    auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    for (int i = 0; i < 5 && !group->isAncestorOf(QApplication::focusWidget()); ++i)
        press(Qt::Key_Tab);
    QVERIFY(group->isAncestorOf(QApplication::focusWidget()));
    press(Qt::Key_Space);
    press(Qt::Key_Down);
    QCOMPARE(form.run().answers().first(), QStringLiteral("Париж "));
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.findChild<QWidget *>("NQButton"));
    press(Qt::Key_Space);
    QCOMPARE(form.run().current(), 1);
    for (int i = 0; i < 5 && !group->isAncestorOf(QApplication::focusWidget()); ++i)
        press(Qt::Key_Tab);
    press(Qt::Key_Space);
    QCOMPARE(form.run().answers(), (QStringList{"Париж ", "Рим "}));
    for (int i = 0; i < 5 && QApplication::focusWidget() != form.findChild<QWidget *>("FinishButton"); ++i)
        press(Qt::Key_Tab);
    SeenMessage seen;
    answerNextMessage(&seen);
    press(Qt::Key_Space);
    QVERIFY(seen.text.contains(QStringLiteral("Правильных ответов: 2 (100%)")));
}

void TstMainForm::accessibleNames()
{
    TMForm form(dataPath("capitals.quivara"));
    form.show();
    QCOMPARE(accessibleName(form.findChild<QWidget *>("QIndicator")), QStringLiteral("Вопрос 1 из 2:"));
    QCOMPARE(accessibleName(form.findChild<QWidget *>("QLabel")), QStringLiteral("Столица Франции?"));
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    QCOMPARE(accessibleName(group), QStringLiteral("Варианты ответа"));
    QCOMPARE(accessibleName(group->button(2)), QStringLiteral("Марсель"));
    QCOMPARE(accessibleName(form.findChild<QWidget *>("NQButton")), QStringLiteral("Далее"));
    QCOMPARE(accessibleName(form.findChild<QWidget *>("FinishButton")),
             QStringLiteral("Завершить тестирование!"));
}

QTEST_MAIN(TstMainForm)
#include "tst_mainform.moc"

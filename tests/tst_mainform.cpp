#include "journal.h"
#include "mainform.h"
#include "pgserver.h"
#include "spool.h"
#include "profilefile.h"
#include "radiogroup.h"
#include "runboxes.h"
#include "modalwindows.h"
#include "testfiles.h"

#include "cp1251.h"

#include <QAccessible>
#include <QComboBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
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
    void arrowKeysPick_data();
    void arrowKeysPick();
    void wholeRowPicks_data();
    void wholeRowPicks();
    void everyOptionCanBeRead_data();
    void everyOptionCanBeRead();
    void longWordInQuestionWraps();
    void titleShowsTextAsItIs();
    void openDialogShowsCaptionAlone();
    void boxesCentreOnScreen();
    void aboutBoxLinkAndBevels();
    void titleChangesBeforeNoQuestionsMessage();
    void nameBox_data();
    void nameBox();
    void timeLeftShown();
    void timeUpClosesBoxesAndFinishes_data();
    void timeUpClosesBoxesAndFinishes();
    void reviewAfterResult();
    void finishedTestGoesToTheJournal_data();
    void finishedTestGoesToTheJournal();
    void lostResultStaysOnScreen();
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
    const QPoint offCentre
            = form.frameGeometry().center() - form.screen()->availableGeometry().center();
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
    QCOMPARE(group->items(), (QStringList{"Лион", "Париж", "Марсель"}));
    QCOMPARE(group->selected(), -1);
    QVERIFY(!form.findChild<QPushButton *>("PQButton")->isEnabled());
    QVERIFY(form.findChild<QPushButton *>("NQButton")->isEnabled());
    QVERIFY(!form.findChild<QPushButton *>("FinishButton")->isEnabled());
    QVERIFY(!form.findChild<QAction *>("N2")->isEnabled());
    // The counter and the question are drawn in dark grey: the darkest pixel
    // of their text is that grey itself.
    for (const char *name : {"QIndicator", "QLabel"}) {
        const QImage drawn = form.findChild<QLabel *>(name)->grab().toImage();
        QRgb darkest = qRgb(255, 255, 255);
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                if (qGray(drawn.pixel(x, y)) < qGray(darkest))
                    darkest = drawn.pixel(x, y);
            }
        }
        QCOMPARE(QColor(darkest).name(), QStringLiteral("#414141"));
    }
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
    QSignalSpy picks(group, &RadioGroupBox::picked);
    group->button(0)->setFocus();
    QTest::keyClick(group->button(0), Qt::Key_Space);
    QCOMPARE(form.run().answers().first(), QStringLiteral("Лион"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(group->selected(), 1);
    QCOMPARE(form.run().answers().first(), QStringLiteral("Париж "));
    QCOMPARE(picks.count(), 2);
    // Space or a click on the option already selected is no pick.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::mouseClick(group->button(1), Qt::LeftButton);
    QCOMPARE(picks.count(), 2);
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
    QCOMPARE(group->items(), (QStringList{"Рим", "Милан"}));
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
    QTest::newRow("answered-show-stay") << "0"
                                        << "1"
                                        << "0" << true << figures.arg("2 (100%)", "1 (50%)");
    QTest::newRow("answered-show-exit") << "0"
                                        << "1"
                                        << "1" << true << figures.arg("2 (100%)", "1 (50%)");
    QTest::newRow("answered-no-figures") << "0"
                                         << "0"
                                         << "0" << true << "Тест завершен!";
    QTest::newRow("allow-finish-nothing-answered")
            << "1"
            << "1"
            << "0" << false << figures.arg("0 (0%)", "0 (0%)");
}

void TstMainForm::finish()
{
    QFETCH(QString, allowFinish);
    QFETCH(QString, showResult);
    QFETCH(QString, exitOnComplete);
    QFETCH(bool, answerAll);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = capitalsWith(dir,
                                      {{"AllowFinish", allowFinish},
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
    answerNextMessage(&seen); // after the dialog
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
    const QString path = capitalsWith(dir,
                                      {{"MessageOnComplete", "<i>Конец</i> & R&&D"},
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
    QCOMPARE(catcher.urls,
             (QStringList{"https://quivara.example.org", "https://quivara.example.org/forum/",
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
    for (int i = 0;
         i < 5 && QApplication::focusWidget() != form.findChild<QWidget *>("FinishButton"); ++i)
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
    QCOMPARE(accessibleName(form.findChild<QWidget *>("QIndicator")),
             QStringLiteral("Вопрос 1 из 2:"));
    QCOMPARE(accessibleName(form.findChild<QWidget *>("QLabel")),
             QStringLiteral("Столица Франции?"));
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    QCOMPARE(accessibleName(group), QStringLiteral("Варианты ответа"));
    QCOMPARE(accessibleName(group->button(2)), QStringLiteral("Марсель"));
    // The correct option reads as any other: neither its name nor its text
    // gives the key away.
    QCOMPARE(accessibleName(group->button(1)), QStringLiteral("Париж"));
    QCOMPARE(group->button(1)->text(), QStringLiteral("Париж"));
    QCOMPARE(accessibleName(form.findChild<QWidget *>("NQButton")), QStringLiteral("Далее"));
    QCOMPARE(accessibleName(form.findChild<QWidget *>("FinishButton")),
             QStringLiteral("Завершить тестирование!"));
}

// A test of one question with these options, in dir.
QString oneQuestion(const QTemporaryDir &dir, const QStringList &options,
                    const QString &text = "Вопрос")
{
    const QString path = dir.filePath("one.quivara");
    ProfileFile file(path);
    const bool ok = file.edit([&](IniDocument &doc) {
        doc.writeString("Test", "LastQ", "0");
        doc.writeString("Q0", "QLabel", text);
        doc.writeInteger("Q0", "LastA", int(options.size()) - 1);
        for (int k = 0; k < options.size(); ++k)
            doc.writeString("Q0", QStringLiteral("A%1").arg(k), options[k]);
    });
    return ok ? path : QString();
}

void TstMainForm::arrowKeysPick_data()
{
    QTest::addColumn<int>("selected"); // before the key, -1 for none
    QTest::addColumn<int>("focused");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("down-from-none") << -1 << 0 << int(Qt::Key_Down) << 1;
    QTest::newRow("right-from-none") << -1 << 1 << int(Qt::Key_Right) << 2;
    QTest::newRow("up-from-none-wraps") << -1 << 0 << int(Qt::Key_Up) << 2;
    QTest::newRow("left-from-none") << -1 << 2 << int(Qt::Key_Left) << 1;
    QTest::newRow("down-at-the-end-wraps") << 2 << 2 << int(Qt::Key_Down) << 0;
    QTest::newRow("up") << 1 << 1 << int(Qt::Key_Up) << 0;
}

void TstMainForm::arrowKeysPick()
{
    QFETCH(int, selected);
    QFETCH(int, focused);
    QFETCH(int, key);
    QFETCH(int, expected);
    TMForm form(dataPath("capitals.quivara"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    if (selected >= 0)
        group->button(selected)->click();
    group->button(focused)->setFocus();
    QTest::keyClick(group->button(focused), Qt::Key(key));
    QCOMPARE(group->selected(), expected);
    QCOMPARE(form.run().answers().first().trimmed(), group->items()[expected]);
    QCOMPARE(QApplication::focusWidget(), group->button(expected));
}

void TstMainForm::wholeRowPicks_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QPoint>("where"); // as a share of the row, in per mille
    QTest::newRow("middle-of-the-row") << 1 << QPoint(500, 500);
    QTest::newRow("right-end") << 2 << QPoint(990, 500);
    QTest::newRow("just-above-the-circle") << 0 << QPoint(10, 20);
    QTest::newRow("bottom-edge") << 1 << QPoint(500, 980);
}

void TstMainForm::wholeRowPicks()
{
    QFETCH(int, option);
    QFETCH(QPoint, where);
    TMForm form(dataPath("capitals.quivara"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    QWidget *row = group->button(option);
    QTest::mouseClick(row, Qt::LeftButton, {},
                      QPoint(row->width() * where.x() / 1000, row->height() * where.y() / 1000));
    QCOMPARE(group->selected(), option);
    QCOMPARE(form.run().answers().first().trimmed(), group->items()[option]);
}

void TstMainForm::everyOptionCanBeRead_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("scrolls");
    const QString longOption = QStringLiteral("очень длинный вариант ответа ").repeated(12);
    QTest::newRow("three-fit") << QStringList{"раз", "два", "три"} << false;
    QTest::newRow("a-long-option") << QStringList{"раз", longOption, "три"} << false;
    QTest::newRow("a-long-word") << QStringList{"раз", QString(400, u'ж')} << false;
    QStringList fifteen;
    for (int i = 0; i < 15; ++i)
        fifteen.append(QStringLiteral("вариант %1").arg(i));
    QTest::newRow("fifteen") << fifteen << true;
    QStringList thousand;
    for (int i = 0; i < 1000; ++i)
        thousand.append(QStringLiteral("вариант %1").arg(i));
    QTest::newRow("a-thousand") << thousand << true;
}

void TstMainForm::everyOptionCanBeRead()
{
    QFETCH(QStringList, options);
    QFETCH(bool, scrolls);
    QTemporaryDir dir;
    TMForm form(oneQuestion(dir, options));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    QCOMPARE(group->items().size(), options.size());
    QScrollArea *scroll = group->scrollArea();
    QTRY_COMPARE(scroll->verticalScrollBar()->maximum() > 0, scrolls);
    const int line = group->button(0)->fontMetrics().height();
    QList<int> heights;
    for (int i = 0; i < options.size(); ++i) {
        QRadioButton *b = group->button(i);
        // No row shorter than a line, none cut at the right, none shorter
        // than its wrapped text.
        QVERIFY2(b->height() >= line,
                 qPrintable(QStringLiteral("row %1: %2 px").arg(i).arg(b->height())));
        QVERIFY(b->geometry().right() < scroll->viewport()->width());
        QVERIFY(b->height() >= b->heightForWidth(b->width()));
        heights.append(b->height());
    }
    if (!scrolls && options.size() == 3 && options[1].size() < 10) {
        // Everything fits: rows spread evenly over the group.
        QVERIFY(*std::max_element(heights.cbegin(), heights.cend())
                        - *std::min_element(heights.cbegin(), heights.cend())
                <= 1);
        QVERIFY(heights[0] * 3 >= scroll->viewport()->height() - 12);
    }
    if (options.size() == 3 && options[1].size() > 100)
        QVERIFY(heights[1] >= 2 * line); // the long option wraps
}

void TstMainForm::longWordInQuestionWraps()
{
    QTemporaryDir dir;
    TMForm form(oneQuestion(dir, {"да"}, QString(300, u'ж')));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *label = form.findChild<QLabel *>("QLabel");
    // Ink on the second and third lines: the word went on there.
    const QImage shot = label->grab().toImage();
    const int line = label->fontMetrics().height();
    int inked = 0;
    for (int y = line + line / 2; y < 3 * line && y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x)
            inked += qGray(shot.pixel(x, y)) < 128 ? 1 : 0;
    }
    QVERIFY2(inked > 50, "the word was not wrapped onto the next lines");
}

void TstMainForm::titleShowsTextAsItIs()
{
    QTemporaryDir dir;
    TMForm form(capitalsWith(dir, {{"TestName", "Тест [*] звёздочки"}}));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.windowHandle()->title(), QStringLiteral("Quivara 0.1 - Тест [*] звёздочки"));
}

void TstMainForm::openDialogShowsCaptionAlone()
{
    TMForm form;
    form.show();
    QString shown;
    QStringList filters;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        shown = dialog->findChild<QComboBox *>("fileTypeCombo")->currentText();
        filters = dialog->nameFilters();
        dialog->reject();
    });
    form.findChild<QPushButton *>("OpenTestButton")->click();
    QCOMPARE(shown, QStringLiteral("Тесты для Quivara"));
    QCOMPARE(filters, QStringList{"Тесты для Quivara (*.quivara)"}); // still only tests
}

void TstMainForm::boxesCentreOnScreen()
{
    TMForm form(dataPath("capitals.quivara"));
    form.show();
    form.move(0, 0);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QList<QPoint> offCentre;
    auto note = [&](QWidget *modal) {
        offCentre.append(offScreenCentre(modal));
        modal->close();
    };
    whenModal(note);
    form.findChild<QAction *>("N6")->trigger(); // the about box
    form.findChild<RadioGroupBox *>("RadioGroup")->button(1)->click();
    form.findChild<QPushButton *>("NQButton")->click();
    form.findChild<RadioGroupBox *>("RadioGroup")->button(1)->click();
    whenModal(note);
    form.findChild<QPushButton *>("FinishButton")->click(); // the result box
    QCOMPARE(offCentre.size(), 2);
    for (const QPoint &off : offCentre)
        QVERIFY2(off.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(off.x()).arg(off.y())));
}

void TstMainForm::aboutBoxLinkAndBevels()
{
    TMForm form;
    form.show();
    AboutBoxLook look;
    whenModal([&](QWidget *modal) {
        look = lookAtAboutBox(modal);
        modal->close();
    });
    form.findChild<QAction *>("N6")->trigger();
    const QString windowText = form.palette().color(QPalette::WindowText).name();
    QVERIFY(look.link.contains("#0000ff"));
    QVERIFY2(look.linkUnderMouse.contains(windowText), qPrintable(look.linkUnderMouse));
    QCOMPARE(look.linkAfterMouse, look.link);
    QCOMPARE(look.outerBevel, int(QFrame::Sunken));
    QCOMPARE(look.innerBevel, int(QFrame::Raised));
}

void TstMainForm::titleChangesBeforeNoQuestionsMessage()
{
    QTemporaryDir dir;
    const QString running = capitalsWith(dir, {{"DisableOpenTest", "0"}});
    const QString empty = dir.filePath("empty.quivara");
    QVERIFY(writeFile(empty, Cp1251::encode("[Test]\r\nTestName=Пустой тест\r\nLastQ=-1\r\n")));
    TMForm form(running);
    form.show();
    QString titleWhileShown;
    chooseInDialog(empty);
    // The message box comes after the dialog.
    whenModalOf<QMessageBox>([&](QMessageBox *box) {
        titleWhileShown = form.windowTitle();
        box->close();
    });
    form.findChild<QAction *>("N2")->trigger();
    QCOMPARE(titleWhileShown, QStringLiteral("Quivara 0.1 - Пустой тест"));
}

void TstMainForm::nameBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("fromCommandLine");
    QTest::addColumn<QString>("title");
    QTest::newRow("a name") << " Иванова Анна " << false << false
                            << "Quivara 0.1 - Столицы - Иванова Анна";
    QTest::newRow("cancelled") << "Петров" << true << false << "Quivara 0.1 - Столицы";
    // Asked once the window is on screen.
    QTest::newRow("from the command line")
            << "Сидоров" << false << true << "Quivara 0.1 - Столицы - Сидоров";
}

void TstMainForm::nameBox()
{
    QFETCH(QString, typed);
    QFETCH(bool, cancel);
    QTemporaryDir dir;
    const QString path = capitalsWith(dir, {{"AskName", "1"}});
    QFETCH(bool, fromCommandLine);
    TMForm form(fromCommandLine ? path : QString());
    bool windowShownFirst = !fromCommandLine;
    bool questionsHidden = false;
    bool okRefusedBlank = false;
    QString caption, label;
    whenModalOf<NameBox>([&](NameBox *box) {
        windowShownFirst = windowShownFirst || form.isVisible();
        caption = box->windowTitle();
        label = box->findChild<QLabel *>()->text();
        questionsHidden = !form.findChild<QWidget *>("TestPanel")->isVisible();
        auto *edit = box->findChild<QLineEdit *>("StudentName");
        auto *ok = box->findChild<QPushButton *>("OkButton");
        QTest::keyClicks(edit, "   ");
        okRefusedBlank = !ok->isEnabled();
        // Enter on a blank name does nothing.
        QTest::keyClick(edit, Qt::Key_Return);
        okRefusedBlank = okRefusedBlank && box->isVisible();
        edit->clear();
        typeText(edit, typed);
        if (cancel)
            QTest::keyClick(edit, Qt::Key_Escape);
        else
            QTest::keyClick(edit, Qt::Key_Return);
    });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    if (!fromCommandLine) {
        chooseInDialog(path);
        form.findChild<QPushButton *>("OpenTestButton")->click();
    }
    QTRY_VERIFY(!caption.isEmpty());
    QVERIFY(windowShownFirst);
    QCOMPARE(caption, QStringLiteral("Quivara 0.1"));
    QCOMPARE(label, QStringLiteral("Фамилия и имя:"));
    QVERIFY(questionsHidden);
    QVERIFY(okRefusedBlank);
    QFETCH(QString, title);
    QTRY_COMPARE(form.windowTitle(), title);
    QCOMPARE(form.findChild<QWidget *>("TestPanel")->isVisible(), !cancel);
    QCOMPARE(form.findChild<QWidget *>("OpenTestButton")->isVisible(), cancel);
    QCOMPARE(form.findChild<QAction *>("N2")->isEnabled(), cancel);
}

void TstMainForm::timeLeftShown()
{
    QTemporaryDir dir;
    qint64 now = 0;
    TMForm untimed(dataPath("capitals.quivara"));
    TMForm form;
    form.setClock([&] { return now; });
    chooseInDialog(capitalsWith(dir, {{"TimeLimit", "2"}, {"DisableOpenTest", "0"}}));
    form.show();
    untimed.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.findChild<QPushButton *>("OpenTestButton")->click();
    auto *time = form.findChild<QLabel *>("TimeLabel");
    QTRY_VERIFY(time->isVisible());
    QCOMPARE(time->text(), QStringLiteral("Осталось: 2:00"));
    QVERIFY(!untimed.findChild<QLabel *>("TimeLabel")->isVisible());
    // Every widget stays where it is without the limit, and the time covers none.
    for (const char *name :
         {"QIndicator", "QBox", "RadioGroup", "FinishButton", "PQButton", "NQButton"}) {
        auto *widget = form.findChild<QWidget *>(name);
        QCOMPARE(widget->geometry(), untimed.findChild<QWidget *>(name)->geometry());
        QVERIFY2(!widget->geometry().intersects(time->geometry()), name);
    }
    QCOMPARE(time->geometry().right(), form.findChild<QWidget *>("QBox")->geometry().right());
    QCOMPARE(time->geometry().top(), form.findChild<QWidget *>("QIndicator")->geometry().top());
    QCOMPARE(accessibleName(time), QStringLiteral("Осталось: 2:00"));
    const QColor normal = time->palette().color(QPalette::WindowText);
    now = 61 * 1000;
    QTRY_COMPARE(time->text(), QStringLiteral("Осталось: 0:59"));
    QCOMPARE(time->palette().color(QPalette::WindowText), QColor(0xc0, 0, 0));
    QCOMPARE(normal, QColor(0x41, 0x41, 0x41));
    QVERIFY(normal != QColor(0xc0, 0, 0));
    // Resized, it keeps to the right edge.
    form.resize(form.width() + 100, form.height());
    QTRY_COMPARE(time->geometry().right(), form.findChild<QWidget *>("QBox")->geometry().right());
}

void TstMainForm::timeUpClosesBoxesAndFinishes_data()
{
    QTest::addColumn<QString>("openBox");
    QTest::newRow("nothing open") << QString();
    QTest::newRow("the about box") << "about";
    QTest::newRow("the open dialog") << "open";
}

void TstMainForm::timeUpClosesBoxesAndFinishes()
{
    QFETCH(QString, openBox);
    QTemporaryDir dir;
    qint64 now = 0;
    TMForm form;
    form.setClock([&] { return now; });
    // AllowFinish=0 and nothing answered: only the time can end this run.
    chooseInDialog(capitalsWith(dir, {{"TimeLimit", "1"}, {"DisableOpenTest", "0"}}));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.findChild<QPushButton *>("OpenTestButton")->click();
    QTRY_VERIFY(form.findChild<QWidget *>("TestPanel")->isVisible());
    QVERIFY(!form.findChild<QPushButton *>("FinishButton")->isEnabled());

    SeenMessage timeUp, result;
    bool otherBoxOpen = false;
    const auto answerBoth = [&] {
        whenModalOf<QMessageBox>([&](QMessageBox *box) {
            timeUp.text = QTextDocumentFragment::fromHtml(box->text()).toPlainText();
            timeUp.title = box->windowTitle();
            for (QWidget *w : QApplication::topLevelWidgets())
                otherBoxOpen = otherBoxOpen || (w->isVisible() && w != box && w != &form);
            box->close();
            answerNextMessage(&result);
        });
    };
    if (openBox.isEmpty()) {
        answerBoth();
        now = 60 * 1000;
    } else {
        // The box is left open at zero: the time closes it.
        whenModal([&](QWidget *) {
            now = 60 * 1000;
            answerBoth();
        });
        if (openBox == "about")
            form.findChild<QAction *>("N6")->trigger();
        else
            form.findChild<QAction *>("N2")->trigger();
    }
    QTRY_COMPARE(result.text.isEmpty(), false);
    QVERIFY(!otherBoxOpen);
    QCOMPARE(timeUp.text, QStringLiteral("Время вышло!"));
    QCOMPARE(timeUp.title, QStringLiteral("Quivara 0.1"));
    QVERIFY(result.text.startsWith(QStringLiteral("Тест завершен!")));
    QVERIFY(result.text.contains(QStringLiteral("Дано ответов: 0 (0%)")));
    QTRY_VERIFY(form.findChild<QWidget *>("OpenTestButton")->isVisible());
    QVERIFY(!form.findChild<QLabel *>("TimeLabel")->isVisible());
}

void TstMainForm::reviewAfterResult()
{
    QTemporaryDir dir;
    const QString path = capitalsWith(dir, {{"Review", "2"}, {"ShowResult", "0"}});
    TMForm form(path);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    group->button(0)->click();
    form.findChild<QPushButton *>("NQButton")->click();
    group->button(0)->click();
    SeenMessage result;
    QString caption, text;
    bool resultFirst = false, textHasFocus = false;
    answerNextMessage(&result);
    whenModalOf<ReviewBox>([&](ReviewBox *box) {
        resultFirst = !result.text.isEmpty();
        caption = box->windowTitle();
        auto *view = box->findChild<QPlainTextEdit *>("ReviewText");
        text = view->toPlainText();
        textHasFocus = view->hasFocus();
        QCOMPARE(box->findChild<QPushButton *>("CloseButton")->text(), QStringLiteral("Закрыть"));
        QTest::keyClick(view, Qt::Key_Escape);
    });
    form.findChild<QPushButton *>("FinishButton")->click();
    QVERIFY(resultFirst);
    QCOMPARE(result.text, QStringLiteral("Тест завершен!"));
    QCOMPARE(caption, QStringLiteral("Просмотр ответов"));
    QVERIFY(textHasFocus);
    QCOMPARE(text,
             QStringLiteral("1. Столица Франции?\nОтвет: Лион — неверно\n"
                            "Правильный ответ: Париж\n\n"
                            "2. Столица Италии?\nОтвет: Рим — верно\nПравильный ответ: Рим"));
    QVERIFY(form.findChild<QWidget *>("OpenTestButton")->isVisible());
}

void TstMainForm::lostResultStaysOnScreen()
{
    // No spool (a file where its folder should be) and no journal (a path
    // below a plain file): nothing keeps the attempt, and the student is
    // told so, with the figures, for the teacher.
    QTemporaryDir dir;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_DATA_HOME", dataHome);
        qunsetenv("QUIVARA_JOURNAL");
    });
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
    QVERIFY(QDir().mkpath(dir.filePath("data/Quivara")));
    QVERIFY(writeFile(dir.filePath("data/Quivara/spool"), "не папка"));
    QVERIFY(writeFile(dir.filePath("plain"), "не папка"));
    qputenv("QUIVARA_JOURNAL", QFile::encodeName("sqlite:" + dir.filePath("plain/j.sqlite")));
    const QString path = capitalsWith(
            dir, {{"AllowFinish", "1"}, {"Grade5", "90"}, {"Grade4", "70"}, {"Grade3", "50"}});
    TMForm form(path);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.findChild<RadioGroupBox *>("RadioGroup")->button(1)->click(); // Париж
    QStringList seen;
    std::function<void()> record = [&] {
        QTimer::singleShot(10, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return record();
            seen.append(QTextDocumentFragment::fromHtml(box->text()).toPlainText());
            box->close();
            if (seen.size() < 2)
                record();
        });
    };
    record();
    form.findChild<QPushButton *>("FinishButton")->click();
    QTRY_COMPARE(seen.size(), 2);
    const QString notice = seen[1];
    QVERIFY2(notice.startsWith("Не удалось сохранить результат: папка "), qPrintable(notice));
    QVERIFY2(notice.contains(". Покажите этот экран учителю.\n\nТест «Столицы», "),
             qPrintable(notice));
    QVERIFY2(notice.endsWith(": вопросов 2, отвечено 1, верно 1 (50 %), оценка 3."),
             qPrintable(notice));
    QVERIFY(!notice.contains(TMForm::SpooledNotice));
}

void TstMainForm::finishedTestGoesToTheJournal_data()
{
    QTest::addColumn<QString>("journal"); // SQLITE: a file of the test's own; SERVER: a server's
    QTest::addColumn<bool>("stored");
    QTest::newRow("SQLite") << "SQLITE" << true;
    QTest::newRow("the class's server") << "SERVER" << true;
    QTest::newRow("no journal to be had") << "postgresql://u@%2Fnowhere/quivara" << false;
}

void TstMainForm::finishedTestGoesToTheJournal()
{
    QFETCH(QString, journal);
    QFETCH(bool, stored);
    QTemporaryDir dir;
    PgServer server;
    if (journal == "SQLITE") {
        journal = "sqlite:" + dir.filePath("journal.sqlite");
    } else if (journal == "SERVER") {
        if (!server.missing().isEmpty())
            QSKIP(qPrintable(server.missing()));
        QVERIFY(server.start());
        QVERIFY(server.makeJournal("quivara", QFINDTESTDATA("../journal/postgresql.sql")));
        journal = server.address("quivara_student", "quivara");
    }
    for (const QString &file : Spool::pending()) // left by an earlier row
        QFile::remove(file);
    qputenv("QUIVARA_JOURNAL", journal.toUtf8());
    const QString path = capitalsWith(dir,
                                      {{"AskName", "1"},
                                       {"AllowFinish", "1"},
                                       {"Review", "1"},
                                       {"Grade5", "90"},
                                       {"Grade4", "70"},
                                       {"Grade3", "50"}});
    whenModalOf<NameBox>([](NameBox *box) {
        auto *edit = box->findChild<QLineEdit *>("StudentName");
        typeText(edit, "Иванова Анна");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    TMForm form(path);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_VERIFY(form.findChild<QWidget *>("TestPanel")->isVisible());
    auto *group = form.findChild<RadioGroupBox *>("RadioGroup");
    group->button(1)->click(); // Париж
    form.findChild<QPushButton *>("NQButton")->click();

    // What shows after the finish, in order: the result, the notice, the review.
    QStringList seen;
    std::function<void()> record = [&] {
        QTimer::singleShot(10, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return record();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                seen.append(QTextDocumentFragment::fromHtml(box->text()).toPlainText());
                box->close();
                return record();
            }
            seen.append(modal->metaObject()->className());
            modal->close();
        });
    };
    record();
    form.findChild<QPushButton *>("FinishButton")->click();
    QTRY_VERIFY(!seen.isEmpty() && seen.last() == "ReviewBox");
    QVERIFY(seen[0].contains("Оценка: 3"));
    // A journal that takes longer than the wait (a slow machine, a sanitizer)
    // gets the attempt a moment later from the spool; the student is told.
    QVERIFY(seen.size() == 2 || seen.size() == 3);
    if (!stored)
        QCOMPARE(seen.size(), 3);
    if (seen.size() == 3)
        QCOMPARE(seen[1], TMForm::SpooledNotice);
    Spool::finishDeliveries();
    qunsetenv("QUIVARA_JOURNAL");

    if (journal.startsWith("postgresql://quivara_student"))
        journal.replace("quivara_student", "quivara_teacher");
    Journal opened(JournalAddress::parse(journal));
    QCOMPARE(opened.isOpen(), stored);
    if (!stored) {
        QCOMPARE(Spool::pending().size(), 1); // for a later delivery
        for (const QString &file : Spool::pending())
            QFile::remove(file);
        return;
    }
    QVERIFY(Spool::pending().isEmpty());
    QSqlQuery rows = opened.attempts({});
    QVERIFY(rows.next());
    const std::optional<Attempt> a = opened.attempt(rows.value(Journal::Id).toString());
    QVERIFY(!rows.next()); // stored once
    QVERIFY(a);
    QCOMPARE(a->student, QStringLiteral("Иванова Анна"));
    QCOMPARE(a->testTitle, QStringLiteral("Столицы"));
    QCOMPARE(a->testFile, QFileInfo(path).absoluteFilePath());
    QCOMPARE(a->testSha256.size(), 64);
    QCOMPARE(a->questions, 2);
    QCOMPARE(a->answered, 1);
    QCOMPARE(a->correct, 1);
    QCOMPARE(a->percent, 50);
    QCOMPARE(a->grade, 3);
    QCOMPARE(a->ended, QStringLiteral("student"));
    QCOMPARE(a->answers.size(), 2);
    QCOMPARE(a->answers[0].answer, QStringLiteral("Париж"));
    QVERIFY(a->answers[0].correct);
    QVERIFY(a->answers[1].answer.isNull());
    QVERIFY(a->finished >= a->started);
}

QTEST_MAIN(TstMainForm)
#include "tst_mainform.moc"

#include "mainform.h"

#include "spool.h"

#include "about.h"
#include "anchors.h"
#include "appearance.h"
#include "displaytext.h"
#include "messagebox.h"
#include "radiogroup.h"
#include "runboxes.h"
#include "weblinks.h"
#include "widgets.h"
#include "wrappedtext.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QSize ClientSize(673, 553);

using Widgets::button;

// The runner's menu items all have images.
QAction *menuItem(QMenu *menu, const QString &text, const QString &image, const char *name)
{
    return Widgets::menuItem(menu, text, name, image);
}

} // namespace

TMForm::TMForm(const QString &testPath, QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MForm"));
    setWindowTitle(ProgramTitle);
    setWindowIcon(QIcon(QStringLiteral(":/images/quivara.svg")));
    setFont(interfaceFont(13));

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    m_client->resize(ClientSize);
    setCentralWidget(m_client);
    createMenu();
    createStartScreen();
    createQuestionView();
    resize(ClientSize.width(), ClientSize.height() + menuBar()->sizeHint().height());
    centreOnScreen(this);

    // Four times a second, so the seconds shown never lag by much.
    m_clockTick.setInterval(250);
    connect(&m_clockTick, &QTimer::timeout, this, &TMForm::tick);

    if (!testPath.isEmpty())
        loadTest(testPath);
}

void TMForm::createStartScreen()
{
    // Centred horizontally, its top two button heights above the middle.
    const QSize size(130, 32);
    OpenTestButton = button(m_client, QStringLiteral("Открыть тест"),
                            QStringLiteral(":/images/open.svg"), "OpenTestButton",
                            QRect(QPoint(ClientSize.width() / 2 - size.width() / 2,
                                         ClientSize.height() / 2 - 2 * size.height()),
                                  size));
    connect(OpenTestButton, &QPushButton::clicked, this, &TMForm::OpenTestButtonClick);
    auto *anchors = new Anchors(m_client);
    anchors->anchor(OpenTestButton, {});
}

void TMForm::createQuestionView()
{
    TestPanel = new QWidget(m_client);
    TestPanel->setObjectName(QStringLiteral("TestPanel"));
    TestPanel->setGeometry(QRect(QPoint(0, 0), ClientSize));
    TestPanel->hide();
    auto *fill = new Anchors(m_client);
    fill->anchor(TestPanel, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);

    QIndicator = new QLabel(QStringLiteral("Вопрос:"), TestPanel);
    QIndicator->setObjectName(QStringLiteral("QIndicator"));
    QIndicator->setTextFormat(Qt::PlainText);
    useTextColour(QIndicator);
    QFont bold = font();
    bold.setBold(true);
    QIndicator->setFont(bold);
    QIndicator->setGeometry(8, 7, 400, 20);

    // The time left, at the right of the counter's row.
    TimeLabel = new QLabel(TestPanel);
    TimeLabel->setObjectName(QStringLiteral("TimeLabel"));
    TimeLabel->setTextFormat(Qt::PlainText);
    TimeLabel->setFont(bold);
    TimeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TimeLabel->setGeometry(465, 7, 200, 20);
    TimeLabel->hide();

    QBox = new QGroupBox(TestPanel);
    QBox->setObjectName(QStringLiteral("QBox"));
    QBox->setGeometry(8, 31, 657, 279);
    QBox->setAccessibleName(QStringLiteral("Вопрос"));
    QLabel_ = new WrappingLabel(QBox);
    QLabel_->setObjectName(QStringLiteral("QLabel"));
    QLabel_->setTextFormat(Qt::RichText);
    QLabel_->setWordWrap(true);
    QLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    useTextColour(QLabel_);
    QLabel_->setFocusPolicy(Qt::NoFocus);
    auto *boxLayout = new QVBoxLayout(QBox);
    boxLayout->setContentsMargins(5, 0, 5, 5);
    boxLayout->addWidget(QLabel_);

    RadioGroup = new RadioGroupBox(TestPanel);
    RadioGroup->setObjectName(QStringLiteral("RadioGroup"));
    RadioGroup->setGeometry(8, 316, 657, 191);
    RadioGroup->setAccessibleName(QStringLiteral("Варианты ответа"));
    connect(RadioGroup, &RadioGroupBox::picked, this, &TMForm::RadioGroupClick);

    FinishButton
            = button(TestPanel, QStringLiteral("Завершить тестирование!"),
                     QStringLiteral(":/images/finish.svg"), "FinishButton", QRect(8, 513, 190, 32));
    PQButton = button(TestPanel, QStringLiteral("Назад"), QStringLiteral(":/images/back.svg"),
                      "PQButton", QRect(439, 513, 110, 32));
    NQButton = button(TestPanel, QStringLiteral("Далее"), QStringLiteral(":/images/next.svg"),
                      "NQButton", QRect(555, 513, 110, 32));
    NQButton->setLayoutDirection(Qt::RightToLeft); // the image right of the text
    for (QPushButton *b : {FinishButton, PQButton, NQButton})
        b->setEnabled(false);
    connect(FinishButton, &QPushButton::clicked, this, &TMForm::FinishButtonClick);
    connect(PQButton, &QPushButton::clicked, this, &TMForm::PQButtonClick);
    connect(NQButton, &QPushButton::clicked, this, &TMForm::NQButtonClick);

    auto *anchors = new Anchors(TestPanel);
    anchors->anchor(QIndicator, Qt::LeftEdge | Qt::TopEdge);
    anchors->anchor(TimeLabel, Qt::RightEdge | Qt::TopEdge);
    anchors->anchor(QBox, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);
    anchors->anchor(RadioGroup, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    anchors->anchor(FinishButton, Qt::LeftEdge | Qt::BottomEdge);
    anchors->anchor(PQButton, Qt::RightEdge | Qt::BottomEdge);
    anchors->anchor(NQButton, Qt::RightEdge | Qt::BottomEdge);

    applyTabOrder();
}

void TMForm::applyTabOrder()
{
    // Option buttons are made anew for each question, and new widgets join
    // the end of the focus chain; put them back between the question and
    // the buttons.
    QWidget *previous = OpenTestButton;
    for (int i = 0; RadioGroup->button(i); ++i) {
        setTabOrder(previous, RadioGroup->button(i));
        previous = RadioGroup->button(i);
    }
    setTabOrder(previous, PQButton);
    setTabOrder(PQButton, NQButton);
    setTabOrder(NQButton, FinishButton);
}

void TMForm::createMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    QMenu *file = bar->addMenu(QStringLiteral("Файл"));
    file->setObjectName(QStringLiteral("N1"));
    N2 = menuItem(file, QStringLiteral("Открыть тест.."), QStringLiteral(":/images/open.svg"),
                  "N2");
    file->addSeparator()->setObjectName(QStringLiteral("N3"));
    QAction *n4
            = menuItem(file, QStringLiteral("Выход"), QStringLiteral(":/images/exit.svg"), "N4");

    QMenu *help = bar->addMenu(QStringLiteral("Справка"));
    help->setObjectName(QStringLiteral("N5"));
    QAction *n8 = menuItem(help, QStringLiteral("Сайт автора"), QStringLiteral(":/images/site.svg"),
                           "N8");
    QAction *n9 = menuItem(help, QStringLiteral("Помощь и обсуждение в форуме"),
                           QStringLiteral(":/images/forum.svg"), "N9");
    help->addSeparator()->setObjectName(QStringLiteral("N7"));
    QAction *n6 = menuItem(help, QStringLiteral("О программе.."),
                           QStringLiteral(":/images/about.svg"), "N6");

    connect(N2, &QAction::triggered, this, &TMForm::OpenTestButtonClick);
    connect(n4, &QAction::triggered, this, &TMForm::N4Click);
    connect(n8, &QAction::triggered, this, &TMForm::N8Click);
    connect(n9, &QAction::triggered, this, &TMForm::N9Click);
    connect(n6, &QAction::triggered, this, &TMForm::N6Click);
}

QFileDialog *TMForm::openDialog()
{
    // Made when first needed: a file dialog takes longer to build than the
    // rest of the window.
    if (OpenDialog1)
        return OpenDialog1;
    OpenDialog1 = Widgets::fileDialog(this, "OpenDialog1", QFileDialog::AcceptOpen,
                                      QStringLiteral("Тесты для Quivara (*.quivara)"),
                                      QStringLiteral("quivara"));
    return OpenDialog1;
}

TAboutBox *TMForm::aboutBox()
{
    // Made when first shown, like the dialogs: it is all the same to the
    // user, and the window is on screen sooner.
    if (AboutBox)
        return AboutBox;
    AboutBox = new TAboutBox(
            AboutInfo{QStringLiteral("О Quivara"), QStringLiteral("Quivara"),
                      QStringLiteral("Простая программа для проведения тестирований. Тесты "
                                     "составляются при помощи программы Quivara Builder."),
                      QStringLiteral(":/images/quivara.svg"), 120, 57, false, true},
            this);
    return AboutBox;
}

void TMForm::loadTest(const QString &path)
{
    // The window shows the new test's name before any message about it.
    const QString message = m_run.loadTest(path).message;
    showView(m_run.view());
    if (!message.isEmpty())
        showMessage(this, ProgramTitle, message);
    // A test opened from the command line asks once the window is on screen.
    if (m_run.awaitsName() && isVisible())
        askName();
    else if (m_run.awaitsName())
        QTimer::singleShot(0, this, &TMForm::askName);
}

void TMForm::askName()
{
    if (!m_run.awaitsName())
        return;
    NameBox box(ProgramTitle, this);
    if (box.exec() == QDialog::Accepted && m_run.giveName(box.name())) {
        showView(m_run.view());
        return;
    }
    m_run.refuseName();
    showView(m_run.view());
}

void TMForm::showView(const RunView &view)
{
    setWindowTitle(literalTitle(ProgramTitle + view.titleSuffix));
    QIndicator->setText(view.counter);
    QLabel_->setText(mnemonicTextToHtml(view.questionText));
    QLabel_->setAccessibleName(mnemonicTextToPlain(view.questionText));
    if (RadioGroup->items() != view.options) {
        RadioGroup->setItems(view.options);
        applyTabOrder();
    }
    RadioGroup->setSelected(view.selected);
    PQButton->setEnabled(view.backEnabled);
    NQButton->setEnabled(view.nextEnabled);
    FinishButton->setEnabled(view.finishEnabled);
    N2->setEnabled(view.openTestEnabled);
    OpenTestButton->setVisible(view.startButtonVisible);
    TestPanel->setVisible(view.questionViewVisible);
    showTimeLeft(view);
}

void TMForm::showTimeLeft(const RunView &view)
{
    // Only the time changes with the clock: the rest of the window, and what
    // a screen reader is reading in it, stays untouched.
    if (TimeLabel->text() != view.timeLeft)
        TimeLabel->setText(view.timeLeft);
    TimeLabel->setVisible(!view.timeLeft.isEmpty());
    useTextColour(TimeLabel, view.timeRunningOut);
    if (view.timeLeft.isEmpty())
        m_clockTick.stop();
    else if (!m_clockTick.isActive())
        m_clockTick.start();
}

void TMForm::tick()
{
    if (!m_run.updateClock()) {
        showTimeLeft(m_run.view());
        return;
    }
    // Time is up: whatever box is open closes first. Its own event loop
    // has to end before the next boxes, so the run ends at a later tick,
    // once none is open.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        closeOpenBoxes();
        return;
    }
    endRun(m_run.timeUp());
}

void TMForm::closeOpenBoxes()
{
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    if (QWidget *modal = QApplication::activeModalWidget()) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }
}

void TMForm::OpenTestButtonClick()
{
    // The name chosen last is offered again.
    const QString path = Widgets::askForPath(openDialog(), m_lastChosen);
    if (!path.isEmpty())
        loadTest(path);
}

void TMForm::RadioGroupClick(int index)
{
    m_run.pick(index);
    showView(m_run.view());
}

void TMForm::NQButtonClick()
{
    m_run.next();
    showView(m_run.view());
}

void TMForm::PQButtonClick()
{
    m_run.back();
    showView(m_run.view());
}

void TMForm::FinishButtonClick()
{
    endRun(m_run.finish());
}

void TMForm::endRun(const TestRun::Finish &finish)
{
    m_clockTick.stop();
    TestPanel->hide();
    // Into the journal, or the spool when the journal does not take it in time.
    const Spool::Recording recorded = Spool::record(finish.attempt, JournalWait);
    if (finish.timeUp)
        showMessage(this, ProgramTitle, QStringLiteral("Время вышло!"));
    showMessage(this, ProgramTitle, finish.message);
    if (recorded.outcome == Spool::Recorded::Spooled)
        showMessage(this, ProgramTitle, SpooledNotice);
    else if (recorded.outcome == Spool::Recorded::Lost)
        showMessage(this, ProgramTitle, lostNotice(recorded.reason, finish.attempt));
    if (!finish.review.isEmpty()) {
        ReviewBox review(reviewText(finish.review, finish.reviewLevel), this);
        review.exec();
    }
    if (finish.exitProgram) {
        close();
        return;
    }
    showView(m_run.view());
}

QString TMForm::lostNotice(const QString &reason, const Attempt &attempt)
{
    QString why = reason.trimmed();
    while (why.endsWith(u'.'))
        why.chop(1);
    return QStringLiteral("Не удалось сохранить результат: %1. Покажите этот экран учителю.\n\n%2")
            .arg(why, attempt.figures());
}

void TMForm::N4Click()
{
    close();
}

void TMForm::N6Click()
{
    aboutBox()->exec();
}

void TMForm::N8Click()
{
    WebLinks::open(WebLinks::MakerSite);
}

void TMForm::N9Click()
{
    WebLinks::open(WebLinks::RunnerForum);
}

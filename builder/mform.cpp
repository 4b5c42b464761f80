#include "mform.h"

#include "about.h"
#include "anchors.h"
#include "appearance.h"
#include "displaytext.h"
#include "filesafeinput.h"
#include "filestore.h"
#include "journalwindow.h"
#include "messagebox.h"
#include "questionlist.h"
#include "testpaper.h"
#include "weblinks.h"
#include "widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageLayout>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QSpinBox>
#include <QTabWidget>

namespace {

const QSize ClientSize(662, 449);

using Widgets::label;

QLineEdit *editBox(QWidget *parent, const char *name, int top, QLabel *caption)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(172, top, 436, 24);
    e->setValidator(new FileTextValidator(e));
    e->setMaxLength(IniDocument::MaxValueLength);
    caption->setBuddy(e);
    return e;
}

QCheckBox *checkBox(QWidget *parent, const QString &text, const char *name, int top)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(QLatin1String(name));
    c->setGeometry(3, top, 505, 17);
    return c;
}

QSpinBox *numberBox(QWidget *parent, const char *name, const QRect &geometry, int high,
                    QLabel *caption)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setRange(0, high);
    caption->setBuddy(box);
    box->setAccessibleName(caption->text());
    return box;
}

// The editor's menu items have no images.
QAction *menuItem(QMenu *menu, const QString &text, const char *name,
                  QKeySequence::StandardKey shortcut = QKeySequence::UnknownKey)
{
    return Widgets::menuItem(menu, text, name, QString(), shortcut);
}

// A dialog for test files.
QFileDialog *fileDialog(QWidget *parent, const char *name, QFileDialog::AcceptMode mode)
{
    return Widgets::fileDialog(parent, name, mode,
                               QStringLiteral("Файлы тестов для Quivara (*.quivara)"),
                               QStringLiteral("quivara"));
}

// The filter of a format in the dialogs of other programs' files.
QString filterOf(Interchange::Format format)
{
    return QStringLiteral("%1 (*.%2)")
            .arg(Interchange::caption(format), Interchange::suffix(format));
}

// The format such a dialog has chosen. With the patterns hidden the dialog
// tells its filter by the caption alone.
Interchange::Format chosenFormat(const QFileDialog *dialog)
{
    const QString chosen = dialog->selectedNameFilter();
    for (const Interchange::Format format : Interchange::AllFormats) {
        if (chosen == Interchange::caption(format) || chosen == filterOf(format))
            return format;
    }
    return Interchange::AllFormats[0];
}

} // namespace

TForm1::TForm1(const QString &testPath, QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(ProgramTitle);
    setWindowIcon(QIcon(QStringLiteral(":/images/builder.svg")));
    setFont(interfaceFont(11));
    createMenu();
    Pages = new QTabWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    setCentralWidget(Pages);
    createSettingsPage();
    createQuestionsPage();
    createRunPage();
    Pages->setCurrentIndex(1);
    Pages->hide();
    resize(ClientSize.width(), ClientSize.height() + menuBar()->sizeHint().height());
    centreOnScreen(this);

    if (!testPath.isEmpty())
        LoadTestFile(testPath);
}

void TForm1::createMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *file = bar->addMenu(QStringLiteral("Файл"));
    file->setObjectName(QStringLiteral("N1"));
    QAction *n7 = menuItem(file, QStringLiteral("Создать..."), "N7", QKeySequence::New);
    file->addSeparator()->setObjectName(QStringLiteral("N8"));
    QAction *n2 = menuItem(file, QStringLiteral("Открыть..."), "N2", QKeySequence::Open);
    N3 = menuItem(file, QStringLiteral("Сохранить"), "N3", QKeySequence::Save);
    N4 = menuItem(file, QStringLiteral("Сохранить как..."), "N4", QKeySequence::SaveAs);
    file->addSeparator()->setObjectName(QStringLiteral("N5"));
    QAction *n6 = menuItem(file, QStringLiteral("Выход"), "N6");
    file->addSeparator()->setObjectName(QStringLiteral("InterchangeSeparator"));
    QAction *importItem = menuItem(file, QStringLiteral("Импорт..."), "ImportItem");
    ExportItem = menuItem(file, QStringLiteral("Экспорт..."), "ExportItem");
    PrintItem = menuItem(file, QStringLiteral("Печать..."), "PrintItem", QKeySequence::Print);
    PdfItem = menuItem(file, QStringLiteral("Экспорт в PDF..."), "PdfItem");
    QAction *journalItem = menuItem(file, QStringLiteral("Журнал результатов..."), "JournalItem");
    for (QAction *item : {N3, N4, ExportItem, PrintItem, PdfItem})
        item->setEnabled(false);

    QMenu *help = bar->addMenu(QStringLiteral("Справка"));
    help->setObjectName(QStringLiteral("N9"));
    QAction *n13 = menuItem(help, QStringLiteral("Сайт автора"), "N13");
    QAction *n12 = menuItem(help, QStringLiteral("Помощь и обсуждение  на форуме"), "N12");
    help->addSeparator()->setObjectName(QStringLiteral("N11"));
    QAction *n10 = menuItem(help, QStringLiteral("О программе..."), "N10");

    connect(n7, &QAction::triggered, this, &TForm1::N7Click);
    connect(n2, &QAction::triggered, this, &TForm1::N2Click);
    connect(N3, &QAction::triggered, this, &TForm1::N3Click);
    connect(N4, &QAction::triggered, this, &TForm1::N4Click);
    connect(n6, &QAction::triggered, this, &QWidget::close);
    connect(importItem, &QAction::triggered, this, &TForm1::ImportClick);
    connect(ExportItem, &QAction::triggered, this, &TForm1::ExportClick);
    connect(PrintItem, &QAction::triggered, this, &TForm1::PrintClick);
    connect(PdfItem, &QAction::triggered, this, &TForm1::PdfClick);
    connect(journalItem, &QAction::triggered, this, &TForm1::openJournal);
    connect(n13, &QAction::triggered, this, &TForm1::N13Click);
    connect(n12, &QAction::triggered, this, &TForm1::N12Click);
    connect(n10, &QAction::triggered, this, &TForm1::N10Click);
}

void TForm1::createSettingsPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("MainPage"));
    Pages->addTab(page, QStringLiteral("Общие настройки"));
    TestName = editBox(page, "TestName", 18,
                       label(page, QStringLiteral("Название:"), "Label1", {3, 21}));
    Author = editBox(page, "Author", 48,
                     label(page, QStringLiteral("Составитель:"), "Label2", {3, 51}));
    MessageOnComplete = editBox(
            page, "MessageOnComplete", 78,
            label(page, QStringLiteral("Сообщение о завершении теста:"), "Label3", {3, 81}));
    AllowFinish = checkBox(
            page, QStringLiteral("Разрешить завершать тест, даже если завершены не все задания"),
            "AllowFinish", 117);
    ShowResult = checkBox(page, QStringLiteral("Показывать результаты теста по завершению"),
                          "ShowResult", 140);
    DisableOpenTest = checkBox(page,
                               QStringLiteral("Отключить пункт меню \"Загрузить тест\" во время "
                                              "прохождения теста"),
                               "DisableOpenTest", 163);
    ExitOnComplete = checkBox(page, QStringLiteral("Закрывать программу по завершению теста"),
                              "ExitOnComplete", 186);
    for (QLineEdit *edit : {TestName, Author, MessageOnComplete})
        connect(edit, &QLineEdit::textChanged, this, &TForm1::SettingsChange);
    for (QCheckBox *box : {AllowFinish, ShowResult, DisableOpenTest, ExitOnComplete})
        connect(box, &QCheckBox::toggled, this, &TForm1::SettingsChange);
    QWidget::setTabOrder(TestName, ShowResult);
    QWidget::setTabOrder(ShowResult, AllowFinish);
    QWidget::setTabOrder(AllowFinish, DisableOpenTest);
    QWidget::setTabOrder(DisableOpenTest, ExitOnComplete);
    QWidget::setTabOrder(ExitOnComplete, Author);
    QWidget::setTabOrder(Author, MessageOnComplete);
}

void TForm1::createQuestionsPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("QPage"));
    Pages->addTab(page, QStringLiteral("Тестовые задания"));

    Qlist = new QuestionList(page);
    Qlist->setObjectName(QStringLiteral("Qlist"));
    Qlist->setGeometry(3, 3, 196, 374);
    Qlist->setAccessibleName(QStringLiteral("Тестовые задания"));
    QLabel *label5 = label(page, QStringLiteral("Текст задания:"), "Label5", {205, 3});
    QLabel_ = new FileSafeMemo(FileSafeMemo::Limit::WholeText, page);
    QLabel_->setObjectName(QStringLiteral("QLabel"));
    QLabel_->setGeometry(205, 25, 446, 149);
    label5->setBuddy(QLabel_);
    QLabel_->setAccessibleName(label5->text());
    QLabel *label6 = label(page, QStringLiteral("Варианты ответа:"), "Label6", {205, 180});
    AnsList = new FileSafeMemo(FileSafeMemo::Limit::EachLine, page);
    AnsList->setObjectName(QStringLiteral("AnsList"));
    AnsList->setGeometry(205, 202, 446, 132);
    label6->setBuddy(AnsList);
    AnsList->setAccessibleName(label6->text());
    QLabel *label4 = label(page,
                           QStringLiteral("Каждый вариант ответа - в отдельной строке. Правильные "
                                          "варианты ответа должны начинаться со знака * "
                                          "(\"звездочка\")."),
                           "Label4", {205, 340});
    label4->setWordWrap(true);
    label4->setGeometry(205, 340, 446, 37);
    label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    AnsList->setAccessibleDescription(label4->text());
    QAddButton = new QPushButton(QStringLiteral("Добавить"), page);
    QAddButton->setObjectName(QStringLiteral("QAddButton"));
    QAddButton->setGeometry(3, 383, 95, 25);
    QDelButton = new QPushButton(QStringLiteral("Удалить"), page);
    QDelButton->setObjectName(QStringLiteral("QDelButton"));
    QDelButton->setGeometry(104, 383, 95, 25);
    QLabel_->setEnabled(false);
    AnsList->setEnabled(false);
    // At the right of the options' caption, where it covers nothing.
    KeepOrder = new QCheckBox(QStringLiteral("Не перемешивать варианты"), page);
    KeepOrder->setObjectName(QStringLiteral("KeepOrder"));
    KeepOrder->setGeometry(451, 180, 200, 17);
    KeepOrder->setLayoutDirection(Qt::RightToLeft); // the box at the right edge
    KeepOrder->setEnabled(false);
    connect(KeepOrder, &QCheckBox::toggled, this, &TForm1::KeepOrderClick);

    auto *anchors = new Anchors(page);
    // The places above are those of a window of the designed size. The tab
    // widget sizes its page only once it is shown; the page then grows with
    // the client area.
    anchors->designFor([this, page]() -> std::optional<QSize> {
        if (!Pages->isVisible() || !page->isVisible())
            return std::nullopt;
        return page->size() - (Pages->size() - ClientSize);
    });
    anchors->anchor(Qlist, Qt::LeftEdge | Qt::TopEdge | Qt::BottomEdge);
    anchors->anchor(QLabel_, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);
    anchors->anchor(AnsList, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);
    anchors->anchor(label4, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    anchors->anchor(QAddButton, Qt::LeftEdge | Qt::BottomEdge);
    anchors->anchor(QDelButton, Qt::LeftEdge | Qt::BottomEdge);
    anchors->anchor(label5, Qt::LeftEdge | Qt::TopEdge);
    anchors->anchor(label6, Qt::LeftEdge | Qt::TopEdge);
    anchors->anchor(KeepOrder, Qt::RightEdge | Qt::TopEdge);

    QWidget::setTabOrder(Qlist, QLabel_);
    QWidget::setTabOrder(QLabel_, QDelButton);
    QWidget::setTabOrder(QDelButton, QAddButton);
    QWidget::setTabOrder(QAddButton, AnsList);
    QWidget::setTabOrder(AnsList, KeepOrder);

    connect(Qlist, &QListWidget::itemSelectionChanged, this, &TForm1::QlistClick);
    connect(Qlist, &QListWidget::itemClicked, this, &TForm1::QlistClick);
    connect(QLabel_, &QPlainTextEdit::textChanged, this, &TForm1::QLabelChange);
    connect(AnsList, &QPlainTextEdit::textChanged, this, &TForm1::AnsListChange);
    connect(QAddButton, &QPushButton::clicked, this, &TForm1::QAddButtonClick);
    connect(QDelButton, &QPushButton::clicked, this, &TForm1::QDelButtonClick);
}

void TForm1::createRunPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("RunPage"));
    Pages->addTab(page, QStringLiteral("Проведение"));
    ShuffleQuestions
            = checkBox(page, QStringLiteral("Перемешивать вопросы"), "ShuffleQuestions", 18);
    ShuffleAnswers
            = checkBox(page, QStringLiteral("Перемешивать варианты ответов"), "ShuffleAnswers", 41);
    TimeLimit = numberBox(
            page, "TimeLimit", QRect(250, 70, 80, 24), RunOptions::MaxTimeLimit,
            label(page, QStringLiteral("Ограничение времени, мин (0 — нет):"), "Label7", {3, 73}));
    AskName = checkBox(page, QStringLiteral("Спрашивать фамилию и имя"), "AskName", 105);
    Grades = checkBox(page, QStringLiteral("Выставлять оценку"), "Grades", 138);
    Grade5 = numberBox(page, "Grade5", QRect(120, 162, 80, 24), 100,
                       label(page, QStringLiteral("на 5 от, %"), "Label8", {23, 165}));
    Grade4 = numberBox(page, "Grade4", QRect(120, 192, 80, 24), 100,
                       label(page, QStringLiteral("на 4 от, %"), "Label9", {23, 195}));
    Grade3 = numberBox(page, "Grade3", QRect(120, 222, 80, 24), 100,
                       label(page, QStringLiteral("на 3 от, %"), "Label10", {23, 225}));
    GradeError = new QLabel(page);
    GradeError->setObjectName(QStringLiteral("GradeError"));
    GradeError->setTextFormat(Qt::PlainText);
    GradeError->setWordWrap(true);
    GradeError->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    GradeError->setGeometry(215, 165, 436, 80);
    useTextColour(GradeError, true);
    QLabel *reviewCaption
            = label(page, QStringLiteral("Просмотр ответов после теста:"), "Label11", {3, 262});
    Review = new QComboBox(page);
    Review->setObjectName(QStringLiteral("Review"));
    Review->setGeometry(250, 259, 260, 24);
    Review->addItems({QStringLiteral("нет"), QStringLiteral("ответы ученика"),
                      QStringLiteral("ответы и правильные варианты")});
    reviewCaption->setBuddy(Review);
    Review->setAccessibleName(reviewCaption->text());

    for (QCheckBox *box : {ShuffleQuestions, ShuffleAnswers, AskName, Grades})
        connect(box, &QCheckBox::toggled, this, &TForm1::RunOptionsChange);
    for (QSpinBox *box : {TimeLimit, Grade5, Grade4, Grade3})
        connect(box, &QSpinBox::valueChanged, this, &TForm1::RunOptionsChange);
    connect(Review, &QComboBox::currentIndexChanged, this, &TForm1::RunOptionsChange);
}

QFileDialog *TForm1::openDialog()
{
    // The file dialogs are made when first needed: each takes longer to
    // build than the rest of the window.
    if (!OpenDialog1)
        OpenDialog1 = fileDialog(this, "OpenDialog1", QFileDialog::AcceptOpen);
    return OpenDialog1;
}

QFileDialog *TForm1::saveDialog()
{
    if (!SaveDialog1)
        SaveDialog1 = fileDialog(this, "SaveDialog1", QFileDialog::AcceptSave);
    return SaveDialog1;
}

QFileDialog *TForm1::interchangeDialog(QFileDialog *&dialog, const char *name,
                                       QFileDialog::AcceptMode mode)
{
    if (dialog)
        return dialog;
    dialog = fileDialog(this, name, mode);
    QStringList filters;
    for (const Interchange::Format format : Interchange::AllFormats)
        filters.append(filterOf(format));
    dialog->setNameFilters(filters);
    dialog->setDefaultSuffix(Interchange::suffix(Interchange::AllFormats[0]));
    // A name typed without an extension gets the chosen format's.
    QFileDialog *d = dialog;
    connect(d, &QFileDialog::filterSelected, d,
            [d] { d->setDefaultSuffix(Interchange::suffix(chosenFormat(d))); });
    return dialog;
}

TAboutBox *TForm1::aboutBox()
{
    // Made when first shown, like the dialogs.
    if (AboutBox)
        return AboutBox;
    AboutBox = new TAboutBox(
            AboutInfo{QStringLiteral("О Quivara Builder"), QStringLiteral("Quivara Builder"),
                      QStringLiteral("Конструктор тестов для программы Quivara."),
                      QStringLiteral(":/images/builder.svg"), 126, 38, true, false},
            this);
    return AboutBox;
}

// The questions page.

void TForm1::SelectQuestion(int index)
{
    Updating = true;
    m_session.document().setCurrentQuestion(index);
    QLabel_->setEnabled(true);
    AnsList->setEnabled(true);
    QLabel_->setPlainText(m_session.document().questionText(index));
    AnsList->setPlainText(m_session.document().answers(index).join(u'\n'));
    KeepOrder->setEnabled(true);
    KeepOrder->setChecked(m_session.document().keepsOptionOrder(index));
    Updating = false;
}

void TForm1::ClearSelection()
{
    Updating = true;
    QLabel_->clear();
    AnsList->clear();
    selectRow(-1);
    m_session.document().setCurrentQuestion(-1);
    QLabel_->setEnabled(false);
    AnsList->setEnabled(false);
    KeepOrder->setChecked(false);
    KeepOrder->setEnabled(false);
    Updating = false;
}

void TForm1::RefreshListItem(int index)
{
    if (QListWidgetItem *item = Qlist->item(index))
        item->setText(m_session.document().caption(index));
}

void TForm1::RebuildQuestionList()
{
    {
        const QSignalBlocker blocker(Qlist);
        Qlist->clear();
    }
    ClearSelection();
    const QSignalBlocker blocker(Qlist);
    for (int i = 0; i < m_session.document().questionCount(); ++i) {
        Qlist->addItem(QString());
        RefreshListItem(i);
    }
}

int TForm1::selectedRow() const
{
    const QList<QListWidgetItem *> selected = Qlist->selectedItems();
    return selected.isEmpty() ? -1 : Qlist->row(selected.first());
}

void TForm1::selectRow(int row)
{
    // The window's own selections are not the author's clicks.
    const QSignalBlocker blocker(Qlist);
    Qlist->setCurrentRow(row);
    if (row < 0)
        Qlist->clearSelection();
}

void TForm1::QAddButtonClick()
{
    m_session.document().addQuestion(TestLayout::NoQuestionText);
    RebuildQuestionList();
    const int last = m_session.document().questionCount() - 1;
    selectRow(last);
    SelectQuestion(last);
}

void TForm1::QDelButtonClick()
{
    const int i = selectedRow();
    if (i < 0)
        return;
    const int next = m_session.deleteQuestion(i);
    RebuildQuestionList();
    if (next >= 0) {
        selectRow(next);
        SelectQuestion(next);
    }
}

void TForm1::QLabelChange()
{
    if (Updating || m_session.document().currentQuestion() < 0)
        return;
    m_session.document().setQuestionText(m_session.document().currentQuestion(), QLabel_->text());
    RefreshListItem(m_session.document().currentQuestion());
}

void TForm1::AnsListChange()
{
    if (Updating || m_session.document().currentQuestion() < 0)
        return;
    m_session.document().setAnswersFromLines(m_session.document().currentQuestion(),
                                             AnsList->lines());
}

void TForm1::KeepOrderClick(bool keep)
{
    if (!Updating && m_session.document().currentQuestion() >= 0)
        m_session.document().setKeepsOptionOrder(m_session.document().currentQuestion(), keep);
}

void TForm1::QlistClick()
{
    // A question left without text gets the placeholder before another is shown.
    if (m_session.fillEmptyText()) {
        const QSignalBlocker blocker(QLabel_);
        QLabel_->setPlainText(TestLayout::NoQuestionText);
        RefreshListItem(m_session.document().currentQuestion());
    }
    const int row = selectedRow();
    if (row >= 0 && row != m_session.document().currentQuestion())
        SelectQuestion(row);
}

// Files.

bool TForm1::LoadTestFile(const QString &path)
{
    offerRecoveryCopy(path);
    const TestFileCommands::Loaded loaded = m_session.load(path);
    if (!loaded.message.isEmpty())
        showMessage(this, ProgramTitle, loaded.message);
    if (!loaded.ok)
        return false;
    setWindowTitle(literalTitle(ProgramTitle + QStringLiteral(" - ") + path));
    showTest();
    return true;
}

void TForm1::showTest()
{
    Pages->show();
    for (QAction *item : {N3, N4, ExportItem, PrintItem, PdfItem})
        item->setEnabled(true);
    showSettings(m_session.settings());
    showRunOptions(m_session.options());
    RebuildQuestionList();
}

void TForm1::showReport(QMessageBox::Icon icon, const QString &message, const Report &report)
{
    QStringList lines;
    for (const ReportLine &line : report) {
        lines.append(line.line > 0
                             ? QStringLiteral("Строка %1: %2").arg(line.line).arg(line.message)
                             : line.message);
    }
    ::showReport(this, ProgramTitle, icon, message, lines);
}

std::optional<bool> TForm1::askForKey(const QString &title)
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("PaperDialog"));
    dialog.setWindowTitle(title);
    auto *withKey = new QCheckBox(QStringLiteral("С ключом ответов"), &dialog);
    withKey->setObjectName(QStringLiteral("WithKey"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ОК"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    withKey->setAccessibleDescription(
            QStringLiteral("Ключ ответов займёт отдельную последнюю страницу."));
    auto *note = new QLabel(withKey->accessibleDescription(), &dialog);
    note->setObjectName(QStringLiteral("WithKeyNote"));
    useTextColour(note);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(withKey);
    layout->addWidget(note);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return withKey->isChecked();
}

void TForm1::offerRecoveryCopy(const QString &path)
{
    // A save in place that was cut short left the test's old contents aside.
    if (!FileStore::recoveryCopy(path))
        return;
    if (!askYesNo(this, ProgramTitle, QStringLiteral("Восстановить предыдущую версию теста?"),
                  "RestoreBox", true))
        FileStore::discardRecoveryCopy(path);
    else if (!FileStore::restoreRecoveryCopy(path))
        showError(this, ProgramTitle, FileStore::writeErrorMessage(path));
}

bool TForm1::SaveTestFile(const QString &path)
{
    const TestFileCommands::Saved saved = m_session.save(path);
    if (!saved.ok)
        showError(this, ProgramTitle, saved.message);
    return saved.ok;
}

TestSettings TForm1::shownSettings() const
{
    TestSettings settings;
    settings.testName = TestName->text();
    settings.author = Author->text();
    settings.messageOnComplete = MessageOnComplete->text();
    settings.allowFinish = AllowFinish->isChecked();
    settings.showResult = ShowResult->isChecked();
    settings.disableOpenTest = DisableOpenTest->isChecked();
    settings.exitOnComplete = ExitOnComplete->isChecked();
    return settings;
}

void TForm1::SettingsChange()
{
    if (!Updating)
        m_session.setSettings(shownSettings());
}

void TForm1::showSettings(const TestSettings &settings)
{
    const bool updating = Updating;
    Updating = true;
    TestName->setText(settings.testName);
    Author->setText(settings.author);
    MessageOnComplete->setText(settings.messageOnComplete);
    AllowFinish->setChecked(settings.allowFinish);
    ShowResult->setChecked(settings.showResult);
    DisableOpenTest->setChecked(settings.disableOpenTest);
    ExitOnComplete->setChecked(settings.exitOnComplete);
    Updating = updating;
}

void TForm1::RunOptionsChange()
{
    for (QSpinBox *box : {Grade5, Grade4, Grade3})
        box->setEnabled(Grades->isChecked());
    if (Updating)
        return;
    RunOptions options;
    options.shuffleQuestions = ShuffleQuestions->isChecked();
    options.shuffleAnswers = ShuffleAnswers->isChecked();
    options.timeLimit = TimeLimit->value();
    options.askName = AskName->isChecked();
    options.grades = Grades->isChecked();
    options.grade5 = Grade5->value();
    options.grade4 = Grade4->value();
    options.grade3 = Grade3->value();
    options.review = RunOptions::Review(Review->currentIndex());
    const QString error = options.gradesError();
    GradeError->setText(error);
    for (QSpinBox *box : {Grade5, Grade4, Grade3})
        box->setAccessibleDescription(error);
    m_session.setOptions(options.withSoundGrades(m_session.options()));
}

void TForm1::showRunOptions(const RunOptions &options)
{
    const bool updating = Updating;
    Updating = true;
    ShuffleQuestions->setChecked(options.shuffleQuestions);
    ShuffleAnswers->setChecked(options.shuffleAnswers);
    TimeLimit->setValue(options.timeLimit);
    AskName->setChecked(options.askName);
    Grades->setChecked(options.grades);
    // Thresholds a test does not set are offered as the usual ones.
    const RunOptions usual;
    Grade5->setValue(options.grades ? options.grade5 : usual.grade5);
    Grade4->setValue(options.grades ? options.grade4 : usual.grade4);
    Grade3->setValue(options.grades ? options.grade3 : usual.grade3);
    Review->setCurrentIndex(int(options.review));
    GradeError->clear();
    Updating = updating;
    RunOptionsChange(); // the thresholds' enabled state
}

bool TForm1::saveChangesIfWanted()
{
    if (!m_session.asksBeforeLeaving())
        return true;
    const YesNoCancel asked = askYesNoCancel(
            this, ProgramTitle, QStringLiteral("Сохранить изменения в тесте?"), "SaveChangesBox");
    const EditorSession::Answer answer = asked == YesNoCancel::Yes ? EditorSession::Answer::Save
            : asked == YesNoCancel::No                             ? EditorSession::Answer::Discard
                                                                   : EditorSession::Answer::Cancel;
    // A test without a file yet is saved as a new one, wherever the author chooses.
    QString saveAs;
    if (answer == EditorSession::Answer::Save && m_session.isUntitled()) {
        saveAs = Widgets::askForPath(saveDialog(), m_lastSaved);
        if (saveAs.isEmpty())
            return false;
    }
    const Outcome outcome = m_session.leave(answer, saveAs);
    if (!outcome.message.isEmpty())
        showError(this, ProgramTitle, outcome.message);
    return outcome.ok;
}

void TForm1::N7Click()
{
    if (!saveChangesIfWanted())
        return;
    const QString path = Widgets::askForPath(saveDialog(), m_lastSaved);
    if (path.isEmpty())
        return;
    const TestFileCommands::Saved created = m_session.create(path, QDateTime::currentDateTime());
    if (!created.ok) {
        showError(this, ProgramTitle, created.message);
        return;
    }
    LoadTestFile(path);
}

void TForm1::N2Click()
{
    if (!saveChangesIfWanted())
        return;
    const QString path = Widgets::askForPath(openDialog(), m_lastOpened);
    if (!path.isEmpty())
        LoadTestFile(path);
}

void TForm1::N3Click()
{
    if (m_session.isUntitled())
        N4Click();
    else
        SaveTestFile(m_session.fileName());
}

void TForm1::N4Click()
{
    const QString path = Widgets::askForPath(saveDialog(), m_lastSaved);
    if (!path.isEmpty() && SaveTestFile(path))
        LoadTestFile(path);
}

void TForm1::ImportClick()
{
    if (!saveChangesIfWanted())
        return;
    QFileDialog *dialog = interchangeDialog(ImportDialog, "ImportDialog", QFileDialog::AcceptOpen);
    const QString path = Widgets::askForPath(dialog, m_lastImported);
    if (path.isEmpty())
        return;
    const EditorSession::Transfer imported = m_session.importFrom(chosenFormat(dialog), path);
    if (!imported.ok) {
        showReport(QMessageBox::Critical, imported.message, imported.report);
        return;
    }
    setWindowTitle(ProgramTitle);
    showTest();
    if (!imported.report.isEmpty()) {
        showReport(QMessageBox::Warning,
                   QStringLiteral("Тест импортирован из файла \"%1\" не полностью:").arg(path),
                   imported.report);
    }
}

void TForm1::ExportClick()
{
    QFileDialog *dialog = interchangeDialog(ExportDialog, "ExportDialog", QFileDialog::AcceptSave);
    const QString path = Widgets::askForPath(dialog, m_lastExported);
    if (path.isEmpty())
        return;
    const Interchange::Format format = chosenFormat(dialog);
    const EditorSession::Transfer exported = m_session.exportTo(format, path);
    if (!exported.ok) {
        showReport(QMessageBox::Critical, exported.message, exported.report);
    } else if (!exported.report.isEmpty()) {
        showReport(QMessageBox::Warning,
                   QStringLiteral("Тест записан в формате %1 не полностью:")
                           .arg(Interchange::caption(format)),
                   exported.report);
    }
}

void TForm1::PrintClick()
{
    const std::optional<bool> withKey = askForKey(QStringLiteral("Печать"));
    if (!withKey)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageMargins(TestPaper::Margins, QPageLayout::Millimeter);
    printer.setDocName(m_session.settings().testName);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool range = printer.printRange() == QPrinter::PageRange;
    if (!TestPaper::print(m_session.test(), *withKey, &printer, range ? printer.fromPage() : 0,
                          range ? printer.toPage() : 0))
        showError(this, ProgramTitle, QStringLiteral("Не удалось напечатать тест."));
}

void TForm1::PdfClick()
{
    const std::optional<bool> withKey = askForKey(QStringLiteral("Экспорт в PDF"));
    if (!withKey)
        return;
    if (!PdfDialog) {
        PdfDialog = Widgets::fileDialog(this, "PdfDialog", QFileDialog::AcceptSave,
                                        QStringLiteral("Документы PDF (*.pdf)"),
                                        QStringLiteral("pdf"));
    }
    const QString path = Widgets::askForPath(PdfDialog, m_lastPdf);
    if (path.isEmpty())
        return;
    // Written aside and put in place whole, so a failure leaves no half a document.
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        ok = TestPaper::writePdf(m_session.test(), *withKey, &file, ProgramTitle);
    }
    if (!ok || !file.commit())
        showError(this, ProgramTitle, QStringLiteral("Не удалось записать файл \"%1\".").arg(path));
}

void TForm1::N13Click()
{
    WebLinks::open(WebLinks::MakerSite);
}

void TForm1::N12Click()
{
    WebLinks::open(WebLinks::EditorForum);
}

void TForm1::N10Click()
{
    aboutBox()->exec();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (saveChangesIfWanted())
        event->accept();
    else
        event->ignore();
}

void TForm1::openJournal()
{
    if (!JournalView)
        JournalView = new JournalWindow(this);
    else
        JournalView->refresh();
    JournalView->setWindowFlag(Qt::Window);
    JournalView->show();
    JournalView->raise();
    JournalView->activateWindow();
}

void TForm1::bringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

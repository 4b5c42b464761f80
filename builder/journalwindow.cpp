#include "journalwindow.h"

#include "appearance.h"
#include "messagebox.h"
#include "spool.h"
#include "statistics.h"
#include "widgets.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Журнал результатов");
const QString AllTests = QStringLiteral("Все тесты");

QPushButton *button(QWidget *parent, const QString &text, const char *name)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QDialog *dialog(QWidget *parent, const QString &title, const char *name)
{
    auto *d = new QDialog(parent);
    d->setObjectName(QLatin1String(name));
    d->setWindowTitle(title);
    d->setAttribute(Qt::WA_DeleteOnClose);
    return d;
}

void addCloseButton(QDialog *d, QVBoxLayout *layout)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, d);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, d, &QDialog::reject);
    layout->addWidget(buttons);
}

QString percentText(double share)
{
    return QString::number(share, 'f', 0);
}

} // namespace

// The model.

void AttemptsModel::show(const Journal *journal, const Journal::Filter &filter)
{
    m_journal = journal;
    m_filter = filter;
    query();
}

void AttemptsModel::query()
{
    if (m_journal && m_journal->isOpen())
        setQuery(m_journal->attempts(m_filter, m_column, m_order));
    else
        clear();
}

QString AttemptsModel::idAt(int row) const
{
    return QSqlQueryModel::data(index(row, Journal::Id)).toString();
}

QVariant AttemptsModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::DisplayRole)
        return Journal::shown(Journal::Column(index.column()), QSqlQueryModel::data(index));
    if (role == Qt::TextAlignmentRole && index.column() >= Journal::Time)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return QSqlQueryModel::data(index, role);
}

QVariant AttemptsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return Journal::caption(Journal::Column(section));
    return QSqlQueryModel::headerData(section, orientation, role);
}

void AttemptsModel::sort(int column, Qt::SortOrder order)
{
    m_column = Journal::Column(column);
    m_order = order;
    query();
}

// The window.

JournalWindow::JournalWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("JournalWindow"));
    setWindowTitle(Title);
    setFont(interfaceFont(12));
    auto *page = new QWidget(this);
    setCentralWidget(page);
    auto *layout = new QVBoxLayout(page);

    Where = new QLabel(page);
    Where->setObjectName(QStringLiteral("Where"));
    Where->setTextFormat(Qt::PlainText);
    Where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    useTextColour(Where);
    layout->addWidget(Where);
    JournalError = new QLabel(page);
    JournalError->setObjectName(QStringLiteral("JournalError"));
    JournalError->setTextFormat(Qt::PlainText);
    JournalError->setWordWrap(true);
    useTextColour(JournalError, true);
    layout->addWidget(JournalError);

    auto *filters = new QHBoxLayout;
    TestFilter = new QComboBox(page);
    TestFilter->setObjectName(QStringLiteral("TestFilter"));
    TestFilter->setMinimumContentsLength(24);
    TestFilter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    QLabel *testCaption = Widgets::label(page, QStringLiteral("Тест:"), "TestCaption", {});
    testCaption->setBuddy(TestFilter);
    TestFilter->setAccessibleName(QStringLiteral("Тест"));
    NameFilter = new QLineEdit(page);
    NameFilter->setObjectName(QStringLiteral("NameFilter"));
    NameFilter->setPlaceholderText(QStringLiteral("часть фамилии или имени"));
    NameFilter->setClearButtonEnabled(true);
    QLabel *nameCaption = Widgets::label(page, QStringLiteral("Ученик:"), "NameCaption", {});
    nameCaption->setBuddy(NameFilter);
    NameFilter->setAccessibleName(QStringLiteral("Ученик"));
    filters->addWidget(testCaption);
    filters->addWidget(TestFilter, 1);
    filters->addWidget(nameCaption);
    filters->addWidget(NameFilter, 1);
    layout->addLayout(filters);

    m_model = new AttemptsModel(this);
    Attempts = new QTableView(page);
    Attempts->setObjectName(QStringLiteral("Attempts"));
    Attempts->setAccessibleName(QStringLiteral("Попытки"));
    Attempts->setModel(m_model);
    Attempts->setSelectionBehavior(QAbstractItemView::SelectRows);
    Attempts->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Attempts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Attempts->setSortingEnabled(true);
    Attempts->horizontalHeader()->setSortIndicator(Journal::Date, Qt::DescendingOrder);
    Attempts->horizontalHeader()->setStretchLastSection(true);
    Attempts->verticalHeader()->hide();
    Attempts->setWordWrap(false);
    layout->addWidget(Attempts, 1);

    auto *buttons = new QHBoxLayout;
    auto *refreshButton = button(page, QStringLiteral("Обновить"), "RefreshButton");
    refreshButton->setShortcut(QKeySequence::Refresh);
    StatisticsButton = button(page, QStringLiteral("Статистика"), "StatisticsButton");
    ExportButton = button(page, QStringLiteral("Экспорт CSV..."), "ExportButton");
    DeleteButton = button(page, QStringLiteral("Удалить"), "DeleteButton");
    auto *closeButton = button(page, QStringLiteral("Закрыть"), "CloseButton");
    for (QPushButton *b : {refreshButton, StatisticsButton, ExportButton, DeleteButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    connect(TestFilter, &QComboBox::currentIndexChanged, this, &JournalWindow::filterChanged);
    connect(NameFilter, &QLineEdit::textChanged, this, &JournalWindow::filterChanged);
    connect(Attempts, &QTableView::doubleClicked, this, &JournalWindow::showAnswers);
    connect(refreshButton, &QPushButton::clicked, this, &JournalWindow::refresh);
    connect(StatisticsButton, &QPushButton::clicked, this, &JournalWindow::StatisticsClick);
    connect(ExportButton, &QPushButton::clicked, this, &JournalWindow::ExportClick);
    connect(DeleteButton, &QPushButton::clicked, this, &JournalWindow::DeleteClick);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    resize(860, 520);
    refresh();
}

JournalWindow::~JournalWindow()
{
    // The model's query belongs to the journal's connection, which goes first.
    m_model->clear();
}

void JournalWindow::refresh()
{
    m_model->clear();
    m_journal = std::make_unique<Journal>(JournalAddress::inForce());
    const JournalAddress &address = m_journal->address();
    Where->setText(QStringLiteral("Журнал: ")
                   + (address.isValid() ? address.text : QStringLiteral("не задан")));
    QString problem;
    if (!m_journal->isOpen())
        problem = m_journal->isDamaged()
                ? m_journal->error() + u'.'
                : QStringLiteral("Журнал недоступен: %1.").arg(m_journal->error());
    const qsizetype waiting = Spool::pending().size();
    if (waiting > 0) {
        problem += (problem.isEmpty() ? QString() : QStringLiteral(" "))
                + QStringLiteral("На этом компьютере ждут передачи в журнал попыток: %1.")
                          .arg(waiting);
    }
    JournalError->setText(problem);
    JournalError->setVisible(!problem.isEmpty());
    {
        const QSignalBlocker blocker(TestFilter);
        const QString chosen
                = TestFilter->currentIndex() > 0 ? TestFilter->currentText() : QString();
        TestFilter->clear();
        TestFilter->addItem(AllTests);
        if (m_journal->isOpen())
            TestFilter->addItems(m_journal->tests());
        const int again = TestFilter->findText(chosen);
        TestFilter->setCurrentIndex(chosen.isEmpty() || again < 0 ? 0 : again);
    }
    for (QWidget *w : {static_cast<QWidget *>(Attempts), static_cast<QWidget *>(TestFilter),
                       static_cast<QWidget *>(NameFilter), static_cast<QWidget *>(StatisticsButton),
                       static_cast<QWidget *>(ExportButton), static_cast<QWidget *>(DeleteButton)})
        w->setEnabled(m_journal->isOpen());
    filterChanged();
}

QString JournalWindow::chosenTest() const
{
    return TestFilter->currentIndex() > 0 ? TestFilter->currentText() : QString();
}

void JournalWindow::filterChanged()
{
    m_model->show(m_journal.get(), {chosenTest(), NameFilter->text().trimmed()});
    Attempts->setColumnHidden(Journal::Id, true);
    Attempts->setColumnHidden(Journal::Title, true);
    Attempts->resizeColumnsToContents();
}

void JournalWindow::showAnswers(const QModelIndex &index)
{
    const std::optional<Attempt> a = m_journal->attempt(m_model->idAt(index.row()));
    if (!a)
        return;
    QStringList lines{
            QStringLiteral("Ученик: %1")
                    .arg(a->student.isEmpty() ? QStringLiteral("—") : a->student),
            QStringLiteral("Тест: %1 (%2)%3")
                    .arg(a->testTitle, a->testFile,
                         a->testChanges.isEmpty()
                                 ? QString()
                                 : QStringLiteral("\nТест изменён во время тестирования: "
                                                  "прочитано версий файла: %1")
                                           .arg(a->testChanges.size() + 1)),
            QStringLiteral("Дата: %1").arg(a->finished.toLocalTime().toString("dd.MM.yyyy HH:mm")),
            QStringLiteral("Время: %1%2")
                    .arg(Journal::shown(Journal::Time, a->seconds),
                         a->ended == QLatin1String("time") ? QStringLiteral(" (время вышло)")
                                                           : QString()),
            QStringLiteral("Верных: %1 из %2 (%3%)")
                    .arg(a->correct)
                    .arg(a->questions)
                    .arg(a->percent)};
    if (a->grade > 0)
        lines.append(QStringLiteral("Оценка: %1").arg(a->grade));
    lines.append(QString());
    for (int i = 0; i < a->answers.size(); ++i) {
        const AttemptAnswer &answer = a->answers[i];
        lines.append(QStringLiteral("%1. %2").arg(i + 1).arg(answer.question));
        lines.append(answer.answer.isNull()
                             ? QStringLiteral("Ответ: нет")
                             : QStringLiteral("Ответ: %1 — %2")
                                       .arg(answer.answer,
                                            answer.correct ? QStringLiteral("верно")
                                                           : QStringLiteral("неверно")));
        lines.append(QString());
    }
    QDialog *d = dialog(this, QStringLiteral("Ответы"), "AnswersDialog");
    auto *layout = new QVBoxLayout(d);
    auto *text = new QPlainTextEdit(lines.join(u'\n').trimmed(), d);
    text->setObjectName(QStringLiteral("AnswersText"));
    text->setReadOnly(true);
    text->setAccessibleName(QStringLiteral("Ответы"));
    layout->addWidget(text);
    addCloseButton(d, layout);
    d->resize(560, 460);
    d->open();
}

void JournalWindow::StatisticsClick()
{
    QString test = chosenTest();
    const QModelIndexList rows = Attempts->selectionModel()->selectedRows(Journal::Title);
    if (test.isEmpty() && !rows.isEmpty())
        test = rows.first().data().toString();
    if (test.isEmpty()) {
        showMessage(this, Title,
                    QStringLiteral("Выберите тест в списке «Тест» или попытку этого теста."));
        return;
    }
    const Statistics s = Statistics::of(m_journal->attemptsAt(test));
    QDialog *d = dialog(this, QStringLiteral("Статистика: ") + test, "StatisticsDialog");
    auto *layout = new QVBoxLayout(d);
    auto *summary = new QLabel(QStringLiteral("Попыток: %1. Средний процент: %2. Медиана: %3.")
                                       .arg(s.attempts)
                                       .arg(QString::number(s.meanPercent, 'f', 1))
                                       .arg(QString::number(s.medianPercent, 'f', 1)),
                               d);
    summary->setObjectName(QStringLiteral("Summary"));
    layout->addWidget(summary);

    auto *set = new QBarSet(QStringLiteral("Попыток"));
    QStringList bands;
    int highest = 0;
    for (int b = 0; b < 10; ++b) {
        *set << s.bands[b];
        highest = std::max(highest, s.bands[b]);
        bands.append(b == 9 ? QStringLiteral("90–100")
                            : QStringLiteral("%1–%2").arg(b * 10).arg(b * 10 + 9));
    }
    auto *series = new QBarSeries;
    series->append(set);
    auto *chart = new QChart;
    chart->addSeries(series);
    chart->setTitle(QStringLiteral("Попытки по проценту верных ответов"));
    chart->legend()->hide();
    auto *x = new QBarCategoryAxis;
    x->append(bands);
    x->setTitleText(QStringLiteral("%"));
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto *y = new QValueAxis;
    y->setRange(0, std::max(highest, 1));
    y->setTickCount(std::min(std::max(highest, 1), 10) + 1);
    y->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    auto *view = new QChartView(chart, d);
    view->setObjectName(QStringLiteral("Histogram"));
    view->setAccessibleName(chart->title());
    view->setMinimumHeight(240);
    layout->addWidget(view, 1);

    auto *table = new QTableWidget(int(s.questions.size()), 4, d);
    table->setObjectName(QStringLiteral("Questions"));
    table->setAccessibleName(QStringLiteral("Вопросы"));
    table->setHorizontalHeaderLabels({QStringLiteral("Вопрос"), QStringLiteral("Верно, %"),
                                      QStringLiteral("Различение"),
                                      QStringLiteral("Частый неверный ответ")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    for (int q = 0; q < s.questions.size(); ++q) {
        const Statistics::Question &question = s.questions[q];
        const QStringList cells{question.text, percentText(100 * question.share),
                                QString::number(question.discrimination, 'f', 2),
                                question.commonWrong.isEmpty()
                                        ? QString()
                                        : QStringLiteral("%1 (%2)")
                                                  .arg(question.commonWrong)
                                                  .arg(question.commonWrongCount)};
        for (int c = 0; c < cells.size(); ++c)
            table->setItem(q, c, new QTableWidgetItem(cells[c]));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table, 1);
    addCloseButton(d, layout);
    d->resize(820, 620);
    d->open();
}

void JournalWindow::ExportClick()
{
    const std::unique_ptr<QFileDialog> d(
            Widgets::fileDialog(this, "CsvDialog", QFileDialog::AcceptSave,
                                QStringLiteral("Таблицы CSV (*.csv)"), QStringLiteral("csv")));
    const QString path = Widgets::askForPath(d.get(), m_lastCsv);
    if (path.isEmpty())
        return;
    const QByteArray csv
            = m_journal->csv(m_model->filter(), m_model->sortColumn(), m_model->sortOrder());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit())
        showError(this, Title, QStringLiteral("Не удалось записать файл \"%1\".").arg(path));
}

void JournalWindow::DeleteClick()
{
    QStringList ids;
    for (const QModelIndex &row : Attempts->selectionModel()->selectedRows())
        ids.append(m_model->idAt(row.row()));
    if (ids.isEmpty())
        return;
    if (!askYesNo(this, Title,
                  QStringLiteral("Удалить выбранные попытки (%1) из журнала?").arg(ids.size()),
                  "DeleteBox", false))
        return;
    m_model->clear(); // no query may hold the tables while they change
    if (!m_journal->remove(ids))
        showError(this, Title, m_journal->error());
    refresh();
}

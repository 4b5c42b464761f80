#pragma once

#include "journal.h"

#include <QMainWindow>
#include <QSqlQueryModel>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The attempts of the journal in force as the view's rows, fetched as they
// come into view, each column shown as Journal::shown says; sorting asks the
// journal again.
class AttemptsModel : public QSqlQueryModel
{
    Q_OBJECT
public:
    using QSqlQueryModel::QSqlQueryModel;
    void show(const Journal *journal, const Journal::Filter &filter);
    Journal::Filter filter() const { return m_filter; }
    Journal::Column sortColumn() const { return m_column; }
    Qt::SortOrder sortOrder() const { return m_order; }
    QString idAt(int row) const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    void query();

    const Journal *m_journal = nullptr;
    Journal::Filter m_filter;
    Journal::Column m_column = Journal::Date;
    Qt::SortOrder m_order = Qt::DescendingOrder;
};

// The teacher's view of the journal: the attempts newest first, a filter by
// test and by name, an attempt's answers on a double click, a test's
// statistics, the rows as CSV, deleting, and refreshing.
class JournalWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit JournalWindow(QWidget *parent = nullptr);
    ~JournalWindow() override;

    // Opens the journal in force anew and shows what it holds now.
    void refresh();

private slots:
    void filterChanged();
    void showAnswers(const QModelIndex &index);
    void StatisticsClick();
    void ExportClick();
    void DeleteClick();

private:
    QString chosenTest() const;

    std::unique_ptr<Journal> m_journal;
    AttemptsModel *m_model = nullptr;
    QLabel *Where = nullptr;
    QLabel *JournalError = nullptr;
    QComboBox *TestFilter = nullptr;
    QLineEdit *NameFilter = nullptr;
    QTableView *Attempts = nullptr;
    QPushButton *StatisticsButton = nullptr;
    QPushButton *ExportButton = nullptr;
    QPushButton *DeleteButton = nullptr;
    QString m_lastCsv;
};

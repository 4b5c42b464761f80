#pragma once

#include "address.h"
#include "attempt.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

#include <optional>

// The journal of results at an address: its tables (made and upgraded here
// for SQLite; checked for their version on a PostgreSQL server, which its
// set-up script prepares), attempts recorded each in one transaction, and
// the teacher's queries. Used from the thread that made it. Every SQL
// statement takes its values as bound parameters.
class Journal
{
public:
    static constexpr int SchemaVersion = 1;

    explicit Journal(const JournalAddress &address);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    bool isOpen() const { return m_open; }
    // Why the journal could not be opened or written, in Russian.
    QString error() const { return m_error; }
    // Whether it could not be opened because the file holds objects the
    // program did not make: error() then begins "Журнал ... повреждён: ".
    bool isDamaged() const { return m_damaged; }
    const JournalAddress &address() const { return m_address; }

    // Stores the attempt and its answers, or nothing of them; true too when
    // an attempt of that id is stored already.
    bool record(const Attempt &attempt);

    // The teacher's view: the attempts newest first, or sorted by a column.
    // Test is the title as shown, marked when the test changed while it
    // ran; Title is the title alone. Id and Title are for the program.
    enum Column {
        Date,
        Student,
        Test,
        Time,
        Answered,
        Correct,
        Percent,
        Grade,
        Id,
        Title,
        ColumnCount
    };
    // How the Test column marks an attempt whose test changed while it ran.
    static inline const QString ChangedMark
            = QStringLiteral(" (тест изменён во время тестирования)");
    struct Filter
    {
        QString test;    // the title, exactly; empty: every test
        QString student; // a part of the name, in any case; empty: everyone
    };
    // A query whose rows are the columns above, fetched as they are read.
    QSqlQuery attempts(const Filter &filter, Column sortBy = Date,
                       Qt::SortOrder order = Qt::DescendingOrder) const;
    // The view's column captions ("Дата", "Ученик", ...), and a value of
    // the column as the view and its CSV show it: the date in local time as
    // ДД.ММ.ГГГГ ЧЧ:ММ, the time taken as М:СС, no grade as nothing.
    static QString caption(Column column);
    static QString shown(Column column, const QVariant &value);
    // The rows as filtered and sorted, for a spreadsheet in a Russian locale:
    // UTF-8 with a BOM, ";" between fields, a header of the captions.
    QByteArray csv(const Filter &filter, Column sortBy = Date,
                   Qt::SortOrder order = Qt::DescendingOrder) const;
    QStringList tests() const;
    std::optional<Attempt> attempt(const QString &id) const;
    // Every attempt at a test, with its answers, for the statistics.
    QList<Attempt> attemptsAt(const QString &test) const;
    bool remove(const QStringList &ids);

    QSqlDatabase database() const { return QSqlDatabase::database(m_connection, false); }

private:
    bool fail(const QString &what, const QString &detail);
    bool prepareSqlite();
    // What in an SQLite file is not as the program made it, or nothing,
    // from the rows (type, name, sql) of its sqlite_master.
    static QString foreignObject(QSqlQuery &schema);
    // Whether an SQLite file's own journal_schema table says a newer version.
    bool newerVersion() const;
    // Whether the attempt's rows are in the file as they were given.
    bool stored(const Attempt &attempt) const;
    bool checkSchema();
    Attempt attemptOf(const QSqlQuery &row) const;
    QList<AttemptAnswer> answersOf(const QString &id) const;

    JournalAddress m_address;
    QString m_connection;
    bool m_open = false;
    bool m_damaged = false;
    QString m_error;
};

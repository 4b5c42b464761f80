#include "journal.h"

#include <QDir>
#include <QFileInfo>
#include <QDeadlineTimer>
#include <QHash>
#include <QThread>
#include <QSqlError>
#include <QUuid>
#include <QVariant>

namespace {

// The tables, alike in SQLite and PostgreSQL. Times are ISO 8601 text in
// UTC, which sorts as the times do; student_key is the name case-folded,
// for a search that ignores case in any alphabet.
const char *const Tables[] = {
        "CREATE TABLE IF NOT EXISTS journal_schema (version INTEGER NOT NULL)",
        "CREATE TABLE IF NOT EXISTS attempts ("
        " id TEXT PRIMARY KEY, test_title TEXT NOT NULL, test_file TEXT NOT NULL,"
        " test_sha256 TEXT NOT NULL, test_author TEXT NOT NULL, student TEXT NOT NULL,"
        " student_key TEXT NOT NULL, computer TEXT NOT NULL, account TEXT NOT NULL,"
        " started_utc TEXT NOT NULL, finished_utc TEXT NOT NULL, seconds INTEGER NOT NULL,"
        " time_limit INTEGER NOT NULL, questions INTEGER NOT NULL, answered INTEGER NOT NULL,"
        " correct INTEGER NOT NULL, percent INTEGER NOT NULL, grade INTEGER NOT NULL,"
        " ended TEXT NOT NULL, program_version TEXT NOT NULL)",
        "CREATE TABLE IF NOT EXISTS answers ("
        " attempt_id TEXT NOT NULL REFERENCES attempts(id) ON DELETE CASCADE,"
        " position INTEGER NOT NULL, section TEXT NOT NULL, question TEXT NOT NULL,"
        " answer TEXT, correct INTEGER NOT NULL, PRIMARY KEY (attempt_id, position))",
        "CREATE INDEX IF NOT EXISTS attempts_by_finish ON attempts (finished_utc)",
        "CREATE INDEX IF NOT EXISTS attempts_by_test ON attempts (test_title, finished_utc)",
};

const char *const AttemptColumns
        = "id, test_title, test_file, test_sha256, test_author, student, computer, account,"
          " started_utc, finished_utc, seconds, time_limit, questions, answered, correct,"
          " percent, grade, ended, program_version";

// The test's SHA-256 as the journal keeps it: of the version loaded, then
// of each other version read during the run, blank separated, so that a
// journal of any version holds them in its one column.
QString storedSha256(const Attempt &a)
{
    return (QStringList{a.testSha256} + a.testChanges).join(u' ');
}

// Executes sql, trying again for a while where another program holds the
// file: SQLite refuses some statements at once then (a change to WAL, a
// read while the tables are made), whatever its busy timeout.
bool execPatiently(QSqlQuery &q, const QString &sql)
{
    QDeadlineTimer patience(10000);
    while (!q.exec(sql)) {
        const QString code = q.lastError().nativeErrorCode();
        if ((code != u"5" && code != u"6") || patience.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

// A statement of Tables as SQLite keeps it in sqlite_master: as written,
// without its IF NOT EXISTS.
QString asKept(const char *statement)
{
    return QString::fromLatin1(statement).remove(QLatin1String("IF NOT EXISTS "));
}

QString utc(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

QDateTime fromUtc(const QVariant &text)
{
    return QDateTime::fromString(text.toString(), Qt::ISODate).toUTC();
}

// A LIKE pattern matching text anywhere, with LIKE's own characters taken
// as they are.
QString containing(QString text)
{
    text.replace(u'\\', QLatin1String("\\\\"));
    text.replace(u'%', QLatin1String("\\%"));
    text.replace(u'_', QLatin1String("\\_"));
    return u'%' + text + u'%';
}

} // namespace

Journal::Journal(const JournalAddress &address)
    : m_address(address)
    , m_connection(QStringLiteral("journal-") + QUuid::createUuid().toString(QUuid::Id128))
{
    if (!address.isValid()) {
        m_error = address.error;
        return;
    }
    const bool sqlite = address.kind == JournalAddress::Kind::Sqlite;
    QSqlDatabase db = QSqlDatabase::addDatabase(
            sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), m_connection);
    if (!db.isValid()) {
        fail(QStringLiteral("нет драйвера базы данных %1").arg(db.driverName()), QString());
        return;
    }
    if (sqlite) {
        // SQLite would wait for ever on a FIFO in the file's place, or in
        // the place of the files it keeps beside it.
        for (const char *suffix : {"", "-wal", "-shm", "-journal"}) {
            const QFileInfo file(address.path + QLatin1String(suffix));
            if (file.exists() && !file.isFile()) {
                fail(QStringLiteral("журнал %1 не открылся").arg(address.text),
                     QStringLiteral("%1 — не файл").arg(file.filePath()));
                return;
            }
        }
        QDir().mkpath(QFileInfo(address.path).absolutePath());
        db.setDatabaseName(address.path);
        // Two runners on one computer wait for each other instead of failing.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    } else {
        db.setHostName(address.host);
        if (address.port > 0)
            db.setPort(address.port);
        db.setDatabaseName(address.database);
        db.setUserName(address.user);
        if (!address.password.isEmpty())
            db.setPassword(address.password);
        // A server that does not answer is given up soon: a student waits.
        db.setConnectOptions(QStringLiteral("connect_timeout=3"));
    }
    if (!db.open()) {
        fail(QStringLiteral("журнал %1 не открылся").arg(address.text), db.lastError().text());
        return;
    }
    m_open = sqlite ? prepareSqlite() : checkSchema();
}

Journal::~Journal()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

bool Journal::fail(const QString &what, const QString &detail)
{
    m_error = detail.trimmed().isEmpty() ? what : what + QStringLiteral(": ") + detail.trimmed();
    return false;
}

QString Journal::foreignObject(QSqlQuery &q)
{
    QHash<QString, QString> made; // by name
    for (const char *statement : Tables) {
        const QString sql = asKept(statement);
        made.insert(sql.section(u' ', 2, 2), sql);
    }
    static const QHash<QString, QString> foreign{{"table", "чужая таблица"},
                                                 {"index", "чужой индекс"},
                                                 {"view", "чужое представление"},
                                                 {"trigger", "чужой триггер"}};
    static const QHash<QString, QString> kinds{{"table", "таблица"}, {"index", "индекс"}};
    while (q.next()) {
        const QString type = q.value(0).toString();
        const QString name = q.value(1).toString();
        // SQLite's own: the indexes of primary keys (which have no
        // statement), its statistics and its counters.
        static const QStringList ownTables{"sqlite_sequence", "sqlite_stat1", "sqlite_stat4"};
        if ((type == u"index" && name.startsWith(QLatin1String("sqlite_autoindex_"))
             && q.value(2).isNull())
            || (type == u"table" && ownTables.contains(name)))
            continue;
        const auto ours = made.constFind(name);
        if (ours == made.cend() || !ours->startsWith(QStringLiteral("CREATE ") + type.toUpper()))
            return QStringLiteral("%1 «%2»").arg(foreign.value(type, type), name);
        if (q.value(2).toString() != *ours)
            return QStringLiteral("изменено устройство: %1 «%2»").arg(kinds.value(type), name);
    }
    return QString();
}

bool Journal::newerVersion() const
{
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(QStringLiteral("journal_schema"));
    if (!q.exec() || !q.next() || q.value(0).toString() != asKept(Tables[0]))
        return false;
    return q.exec(QStringLiteral("SELECT max(version) FROM journal_schema")) && q.next()
            && q.value(0).toInt() > SchemaVersion;
}

bool Journal::prepareSqlite()
{
    QSqlDatabase db = database();
    QSqlQuery q(db);
    // Durable once committed, and read by the teacher while a runner writes.
    // Then only the tables and indexes the program makes, before any of them
    // is touched: a view or a trigger in their place could hang the view,
    // or drop or rewrite attempts.
    for (const char *statement :
         {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL", "PRAGMA foreign_keys=ON",
          "SELECT type, name, sql FROM sqlite_master"}) {
        if (!execPatiently(q, QLatin1String(statement)))
            return fail(QStringLiteral("журнал %1 не читается").arg(m_address.path),
                        q.lastError().text());
    }
    if (const QString foreign = foreignObject(q); !foreign.isEmpty()) {
        // A newer program's journal differs too, and says so in a table
        // made as this program makes it.
        if (newerVersion())
            return fail(QStringLiteral("журнал %1 сделан более новой версией программы")
                                .arg(m_address.path),
                        QString());
        m_damaged = true;
        m_error = QStringLiteral("Журнал повреждён: в файле %1 %2").arg(m_address.path, foreign);
        return false;
    }
    if (q.exec(QStringLiteral("SELECT version FROM journal_schema")) && q.next()) {
        const int version = q.value(0).toInt();
        if (version > SchemaVersion)
            return fail(QStringLiteral("журнал %1 сделан более новой версией программы")
                                .arg(m_address.path),
                        QString());
        if (version == SchemaVersion)
            return true;
    }
    // Made (or brought up to date) in one transaction, one program at a time.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(QStringLiteral("в журнал %1 нельзя писать").arg(m_address.path),
                    q.lastError().text());
    bool ok = true;
    for (const char *statement : Tables)
        ok = ok && q.exec(QLatin1String(statement));
    ok = ok && q.exec(QStringLiteral("SELECT count(*) FROM journal_schema")) && q.next();
    const bool empty = ok && q.value(0).toInt() == 0;
    if (ok && empty) {
        ok = q.prepare(QStringLiteral("INSERT INTO journal_schema (version) VALUES (?)"));
        q.addBindValue(SchemaVersion);
        ok = ok && q.exec();
    }
    if (!ok) {
        const QString detail = q.lastError().text();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return fail(QStringLiteral("в журнал %1 нельзя писать").arg(m_address.path), detail);
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return fail(QStringLiteral("в журнал %1 нельзя писать").arg(m_address.path),
                    q.lastError().text());
    return true;
}

bool Journal::checkSchema()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT version FROM journal_schema")) || !q.next())
        return fail(QStringLiteral("на сервере нет журнала: подготовьте базу скриптом "
                                   "postgresql.sql"),
                    q.lastError().text());
    const int version = q.value(0).toInt();
    if (version != SchemaVersion)
        return fail(QStringLiteral("журнал на сервере версии %1, а программе нужна версия %2")
                            .arg(version)
                            .arg(SchemaVersion),
                    QString());
    return true;
}

bool Journal::record(const Attempt &a)
{
    if (!m_open)
        return false;
    // The journal keeps only what a run can give.
    if (const QString fault = a.fault(); !fault.isEmpty())
        return fail(QStringLiteral("результат не записан в журнал %1").arg(m_address.text),
                    QStringLiteral("попытка не сходится: ") + fault);
    QSqlDatabase db = database();
    if (!db.transaction())
        return fail(QStringLiteral("в журнал нельзя писать"), db.lastError().text());
    QSqlQuery q(db);
    bool ok = q.prepare(QStringLiteral(
            "INSERT INTO attempts (id, test_title, test_file, test_sha256, test_author, student,"
            " student_key, computer, account, started_utc, finished_utc, seconds, time_limit,"
            " questions, answered, correct, percent, grade, ended, program_version)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
            " ON CONFLICT DO NOTHING"));
    // A text not set (no name asked, say) is stored empty: a null one would bind as NULL.
    const auto text = [](const QString &t) { return t.isNull() ? QStringLiteral("") : t; };
    for (const QString &t :
         {a.id, a.testTitle, a.testFile, storedSha256(a), a.testAuthor, a.student,
          a.student.toCaseFolded(), a.computer, a.account, utc(a.started), utc(a.finished)})
        q.addBindValue(text(t));
    for (const int number :
         {a.seconds, a.timeLimit, a.questions, a.answered, a.correct, a.percent, a.grade})
        q.addBindValue(number);
    q.addBindValue(text(a.ended));
    q.addBindValue(text(a.version));
    ok = ok && q.exec();
    // An attempt stored before (a retry from the spool) keeps its answers.
    const bool isNew = ok && q.numRowsAffected() == 1;
    if (isNew) {
        ok = q.prepare(QStringLiteral("INSERT INTO answers (attempt_id, position, section,"
                                      " question, answer, correct) VALUES (?, ?, ?, ?, ?, ?)"));
        for (int i = 0; ok && i < a.answers.size(); ++i) {
            const AttemptAnswer &answer = a.answers[i];
            q.addBindValue(a.id);
            q.addBindValue(i + 1);
            q.addBindValue(text(answer.section));
            q.addBindValue(text(answer.question));
            q.addBindValue(answer.answer.isNull() ? QVariant(QMetaType(QMetaType::QString))
                                                  : QVariant(answer.answer));
            q.addBindValue(answer.correct ? 1 : 0);
            ok = q.exec();
        }
    }
    if (!ok || !db.commit()) {
        const QString detail = ok ? db.lastError().text() : q.lastError().text();
        db.rollback();
        return fail(QStringLiteral("результат не записан в журнал %1").arg(m_address.text), detail);
    }
    // A file on this computer is read back, which its user could have made
    // drop or change the rows. (A server's students may not read, and its
    // rules are the server's.)
    if (m_address.kind == JournalAddress::Kind::Sqlite && !stored(a))
        return fail(QStringLiteral("результат не записан в журнал %1").arg(m_address.text),
                    QStringLiteral("после записи его там нет"));
    return true;
}

bool Journal::stored(const Attempt &a) const
{
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT count(*) FROM attempts WHERE id = ? AND student = ?"
                             " AND questions = ? AND answered = ? AND correct = ? AND percent = ?"
                             " AND grade = ? AND test_sha256 = ?"));
    q.addBindValue(a.id);
    q.addBindValue(a.student.isNull() ? QStringLiteral("") : a.student);
    for (const int number : {a.questions, a.answered, a.correct, a.percent, a.grade})
        q.addBindValue(number);
    q.addBindValue(storedSha256(a));
    if (!q.exec() || !q.next() || q.value(0).toInt() != 1)
        return false;
    q.prepare(QStringLiteral("SELECT count(*) FROM answers WHERE attempt_id = ?"));
    q.addBindValue(a.id);
    return q.exec() && q.next() && q.value(0).toInt() == a.answers.size();
}

QSqlQuery Journal::attempts(const Filter &filter, Column sortBy, Qt::SortOrder order) const
{
    static const char *const sortColumns[]
            = {"finished_utc", "student_key", "test_title", "seconds", "answered",
               "correct",      "percent",     "grade",      "id",      "test_title"};
    // Texts are shown no longer than a run writes them: a file on this
    // computer may hold anything. The SHA-256 of each version read, blank
    // separated, tells a test changed while it ran.
    QString sql = QStringLiteral("SELECT finished_utc, substr(student, 1, %1),"
                                 " substr(test_title, 1, %2) || CASE WHEN test_sha256 LIKE '% %'"
                                 " THEN CAST(? AS TEXT) ELSE '' END, seconds, answered, correct, "
                                 "percent, grade,"
                                 " id, substr(test_title, 1, %2) FROM attempts WHERE 1 = 1")
                          .arg(Attempt::MaxStudentLength)
                          .arg(Attempt::MaxTextLength);
    if (!filter.test.isEmpty())
        sql += QStringLiteral(" AND test_title = ?");
    if (!filter.student.isEmpty())
        sql += QStringLiteral(" AND student_key LIKE ? ESCAPE '\\'");
    const QString direction
            = order == Qt::AscendingOrder ? QStringLiteral(" ASC") : QStringLiteral(" DESC");
    const int column = sortBy >= 0 && sortBy < ColumnCount ? sortBy : Date;
    sql += QStringLiteral(" ORDER BY ") + QLatin1String(sortColumns[column]) + direction
            + QStringLiteral(", finished_utc DESC, id");
    QSqlQuery q(database());
    q.setForwardOnly(false);
    q.prepare(sql);
    q.addBindValue(ChangedMark);
    if (!filter.test.isEmpty())
        q.addBindValue(filter.test);
    if (!filter.student.isEmpty())
        q.addBindValue(containing(filter.student.toCaseFolded()));
    q.exec();
    return q;
}

QString Journal::caption(Column column)
{
    static const char *const captions[] = {"Дата",   "Ученик", "Тест",   "Время", "Ответов",
                                           "Верных", "%",      "Оценка", "id",    "Название"};
    return QString::fromUtf8(captions[column >= 0 && column < ColumnCount ? column : Id]);
}

QString Journal::shown(Column column, const QVariant &value)
{
    switch (column) {
    case Date:
        return fromUtc(value).toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    case Time: {
        const int seconds = value.toInt();
        return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    case Grade:
        return value.toInt() > 0 ? value.toString() : QString();
    default:
        return value.toString();
    }
}

QByteArray Journal::csv(const Filter &filter, Column sortBy, Qt::SortOrder order) const
{
    // A field that a spreadsheet would take for a formula (a student's name
    // is the student's own text) gets an apostrophe first, which shows it
    // as text. A field with the separator, a quote or a line break goes in
    // quotes, its quotes doubled.
    auto field = [](QString text) {
        static const QString formulaStarts = QStringLiteral("=+-@\t\r");
        if (!text.isEmpty() && formulaStarts.contains(text[0]))
            text.prepend(u'\'');
        if (text.contains(u';') || text.contains(u'"') || text.contains(u'\n')
            || text.contains(u'\r')) {
            text.replace(u'"', QLatin1String("\"\""));
            text = u'"' + text + u'"';
        }
        return text;
    };
    QStringList line;
    for (int c = 0; c < Id; ++c)
        line.append(field(caption(Column(c))));
    QByteArray out = "\xEF\xBB\xBF" + line.join(u';').toUtf8() + "\r\n";
    QSqlQuery q = attempts(filter, sortBy, order);
    while (q.next()) {
        line.clear();
        for (int c = 0; c < Id; ++c)
            line.append(field(shown(Column(c), q.value(c))));
        out += line.join(u';').toUtf8() + "\r\n";
    }
    return out;
}

QStringList Journal::tests() const
{
    QStringList titles;
    QSqlQuery q(database());
    q.exec(QStringLiteral("SELECT DISTINCT test_title FROM attempts ORDER BY test_title"));
    while (q.next())
        titles.append(q.value(0).toString());
    return titles;
}

Attempt Journal::attemptOf(const QSqlQuery &row) const
{
    Attempt a;
    a.id = row.value(0).toString();
    a.testTitle = row.value(1).toString();
    a.testFile = row.value(2).toString();
    const QStringList versions = row.value(3).toString().split(u' ', Qt::SkipEmptyParts);
    a.testSha256 = versions.value(0);
    a.testChanges = versions.mid(1);
    a.testAuthor = row.value(4).toString();
    a.student = row.value(5).toString();
    a.computer = row.value(6).toString();
    a.account = row.value(7).toString();
    a.started = fromUtc(row.value(8));
    a.finished = fromUtc(row.value(9));
    a.seconds = row.value(10).toInt();
    a.timeLimit = row.value(11).toInt();
    a.questions = row.value(12).toInt();
    a.answered = row.value(13).toInt();
    a.correct = row.value(14).toInt();
    a.percent = row.value(15).toInt();
    a.grade = row.value(16).toInt();
    a.ended = row.value(17).toString();
    a.version = row.value(18).toString();
    return a;
}

QList<AttemptAnswer> Journal::answersOf(const QString &id) const
{
    QList<AttemptAnswer> answers;
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT section, question, answer, correct FROM answers"
                             " WHERE attempt_id = ? ORDER BY position"));
    q.addBindValue(id);
    q.exec();
    while (q.next()) {
        AttemptAnswer answer;
        answer.section = q.value(0).toString();
        answer.question = q.value(1).toString();
        if (!q.value(2).isNull())
            answer.answer
                    = q.value(2).toString().isNull() ? QStringLiteral("") : q.value(2).toString();
        answer.correct = q.value(3).toInt() != 0;
        answers.append(answer);
    }
    return answers;
}

std::optional<Attempt> Journal::attempt(const QString &id) const
{
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT %1 FROM attempts WHERE id = ?")
                      .arg(QLatin1String(AttemptColumns)));
    q.addBindValue(id);
    if (!q.exec() || !q.next())
        return std::nullopt;
    Attempt a = attemptOf(q);
    a.answers = answersOf(id);
    return a;
}

QList<Attempt> Journal::attemptsAt(const QString &test) const
{
    QList<Attempt> list;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM attempts WHERE test_title = ? ORDER BY finished_utc")
                      .arg(QLatin1String(AttemptColumns)));
    q.addBindValue(test);
    q.exec();
    while (q.next())
        list.append(attemptOf(q));
    for (Attempt &a : list)
        a.answers = answersOf(a.id);
    return list;
}

bool Journal::remove(const QStringList &ids)
{
    QSqlDatabase db = database();
    if (!db.transaction())
        return fail(QStringLiteral("из журнала нельзя удалять"), db.lastError().text());
    QSqlQuery q(db);
    // The answers first: a server's tables may be owned by another role.
    bool ok = true;
    for (const char *sql :
         {"DELETE FROM answers WHERE attempt_id = ?", "DELETE FROM attempts WHERE id = ?"}) {
        ok = ok && q.prepare(QLatin1String(sql));
        for (int i = 0; ok && i < ids.size(); ++i) {
            q.addBindValue(ids[i]);
            ok = q.exec();
        }
    }
    if (!ok || !db.commit()) {
        const QString detail = ok ? db.lastError().text() : q.lastError().text();
        db.rollback();
        return fail(QStringLiteral("попытки не удалены из журнала"), detail);
    }
    return true;
}

// The journal's speeds: recording a 100-question attempt in SQLite, synced
// to disk, beside only spooling it; and a journal's first screen of rows,
// at 100 and at 100,000 attempts.
#include "journal.h"
#include "spool.h"
#include "testlayout.h"

#include <QCoreApplication>
#include <QSqlQueryModel>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir *work = nullptr;

Attempt attemptOf(int questions)
{
    Attempt a = Attempt::begun();
    a.testTitle = QStringLiteral("Большой тест");
    a.student = QStringLiteral("Иванова Анна");
    a.started = a.finished = QDateTime::currentDateTimeUtc();
    a.testSha256 = QString(64, u'0');
    a.questions = questions;
    a.answered = questions;
    a.correct = (questions + 1) / 2;
    a.percent = percentOf(a.correct, questions);
    a.ended = QStringLiteral("student");
    for (int i = 0; i < questions; ++i)
        a.answers.append({QStringLiteral("Q%1").arg(i), QStringLiteral("Вопрос номер %1?").arg(i),
                          QStringLiteral("Ответ %1").arg(i), i % 2 == 0});
    return a;
}

void RecordInSqlite(benchmark::State &state)
{
    Journal journal(JournalAddress::parse("sqlite:" + work->filePath("record.sqlite")));
    Attempt a = attemptOf(100);
    for (auto _ : state) {
        a.id = Attempt::begun().id;
        if (!journal.record(a))
            state.SkipWithError(qPrintable(journal.error()));
    }
}

void SpoolOnly(benchmark::State &state)
{
    Attempt a = attemptOf(100);
    const QString folder = work->filePath("spool");
    for (auto _ : state) {
        a.id = Attempt::begun().id;
        Spool::put(a, folder);
    }
}

// A journal of this many attempts, made once.
QString journalOf(int attempts)
{
    const QString path = work->filePath(QStringLiteral("journal-%1.sqlite").arg(attempts));
    if (QFile::exists(path))
        return path;
    Journal journal(JournalAddress::parse("sqlite:" + path));
    QSqlDatabase db = journal.database();
    QSqlQuery q(db);
    q.exec("PRAGMA synchronous=OFF");
    db.transaction();
    q.prepare("INSERT INTO attempts VALUES (?, ?, '', '', '', ?, ?, '', '', ?, ?, 600, 0, 10, 10,"
              " 5, 50, 3, 'student', '0.1')");
    const QDateTime start(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC);
    for (int i = 0; i < attempts; ++i) {
        const QString name = QStringLiteral("Ученик %1").arg(i);
        const QString when = start.addSecs(60 * i).toString(Qt::ISODate);
        for (const QString &v :
             {QStringLiteral("id-%1").arg(i), QStringLiteral("Тест %1").arg(i % 20), name,
              name.toCaseFolded(), when, when})
            q.addBindValue(v);
        q.exec();
    }
    db.commit();
    return path;
}

// Opens the journal and reads what the view shows first: the model's first
// batch of rows, newest first.
void FirstScreen(benchmark::State &state)
{
    const QString path = journalOf(int(state.range(0)));
    for (auto _ : state) {
        Journal journal(JournalAddress::parse("sqlite:" + path));
        QSqlQueryModel model;
        model.setQuery(journal.attempts({}));
        benchmark::DoNotOptimize(model.data(model.index(0, Journal::Student)));
        if (model.rowCount() == 0)
            state.SkipWithError("no rows");
        model.clear();
    }
}

} // namespace

BENCHMARK(RecordInSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(SpoolOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(FirstScreen)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    work = &dir;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

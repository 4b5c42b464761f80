#include "spool.h"

#include "filestore.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

#include <future>
#include <memory>

namespace Spool {

namespace {

const QLatin1String Suffix(".attempt");
// Far above what an attempt of thousands of questions takes.
constexpr qint64 MaxAttemptSize = 64 * 1024 * 1024;

QString fileOf(const QString &folder, const QString &id)
{
    return folder + u'/' + id + Suffix;
}

// One delivery at a time in a program: two would only race to store the same attempts.
QMutex delivering;

QMutex threadsLock;
QList<QThread *> threads;

// Runs work on a thread of its own, kept until it ends or the program waits for it.
void runAside(std::function<void()> work)
{
    QThread *thread = QThread::create(std::move(work));
    {
        const QMutexLocker lock(&threadsLock);
        threads.append(thread);
    }
    QObject::connect(thread, &QThread::finished, thread, [thread] {
        {
            const QMutexLocker lock(&threadsLock);
            threads.removeOne(thread);
        }
        thread->deleteLater();
    });
    thread->start();
}

} // namespace

QString defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/Quivara/spool");
}

bool put(const Attempt &attempt, const QString &folder, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("папка %1 не создаётся").arg(QDir::toNativeSeparators(folder)));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSaveFile file(fileOf(folder, attempt.id));
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("файл в папке %1 не создаётся: %2")
                            .arg(QDir::toNativeSeparators(folder), file.errorString()));
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray json = attempt.toJson();
    if (file.write(json) != json.size() || !file.commit())
        return fail(QStringLiteral("файл в папке %1 не записан: %2")
                            .arg(QDir::toNativeSeparators(folder), file.errorString()));
    return true;
}

QStringList pending(const QString &folder)
{
    QStringList files;
    const QDir dir(folder);
    for (const QString &name :
         dir.entryList({QStringLiteral("*") + Suffix}, QDir::Files, QDir::Name))
        files.append(dir.filePath(name));
    return files;
}

bool deliver(const JournalAddress &address, const QString &folder, QString *error)
{
    const QMutexLocker lock(&delivering);
    const QStringList files = pending(folder);
    if (files.isEmpty())
        return true;
    Journal journal(address);
    if (!journal.isOpen()) {
        if (error)
            *error = journal.error();
        return false;
    }
    for (const QString &path : files) {
        // Opened without blocking and never through a link: a FIFO or a link
        // out of the folder is no attempt, and no delivery waits on it.
        const FileStore::Contents contents
                = FileStore::read(path, FileStore::Links::Refuse, MaxAttemptSize);
        if (contents.status == FileStore::Status::Missing)
            continue; // delivered meanwhile by another program
        const std::optional<Attempt> attempt = contents.status == FileStore::Status::Ok
                ? Attempt::fromJson(contents.bytes)
                : std::nullopt;
        if (!attempt || !attempt->fault().isEmpty()) {
            // Not one of ours, or figures no run gives; kept aside for a
            // person to look at, never stored or retried.
            QFile::rename(path, path + QStringLiteral(".unreadable"));
            continue;
        }
        if (!journal.record(*attempt)) {
            if (error)
                *error = journal.error();
            return false;
        }
        QFile::remove(path);
    }
    return true;
}

Recording record(const Attempt &attempt, std::chrono::milliseconds wait, const QString &folder)
{
    // The delivery would put such an attempt aside, and no file would be
    // left to tell it from one stored.
    if (const QString fault = attempt.fault(); !fault.isEmpty())
        return {Recorded::Lost, QStringLiteral("попытка не сходится: ") + fault};
    QString spoolError;
    if (!put(attempt, folder, &spoolError)) {
        // No spool to fall back on: the journal is tried here, the only chance.
        Journal journal(JournalAddress::inForce());
        if (journal.record(attempt))
            return {Recorded::Stored, QString()};
        return {Recorded::Lost,
                QStringLiteral("%1, а журнал не принял его: %2").arg(spoolError, journal.error())};
    }
    auto done = std::make_shared<std::promise<bool>>();
    std::future<bool> delivered = done->get_future();
    runAside([done, folder] { done->set_value(deliver(JournalAddress::inForce(), folder)); });
    if (delivered.wait_for(wait) != std::future_status::ready)
        return {Recorded::Spooled, QString()};
    const bool stored = delivered.get() && !QFile::exists(fileOf(folder, attempt.id));
    return {stored ? Recorded::Stored : Recorded::Spooled, QString()};
}

void deliverInBackground(const QString &folder)
{
    if (pending(folder).isEmpty())
        return;
    runAside([folder] { deliver(JournalAddress::inForce(), folder); });
}

void finishDeliveries()
{
    QList<QThread *> running;
    {
        const QMutexLocker lock(&threadsLock);
        running = threads;
    }
    for (QThread *thread : running)
        thread->wait();
}

} // namespace Spool

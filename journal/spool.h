#pragma once

#include "attempt.h"
#include "journal.h"

#include <QString>
#include <QStringList>

#include <chrono>

// Attempts on their way to the journal. Each is first written whole to a
// file of its own in the user's data folder, so that neither a journal that
// cannot be reached nor a program killed while recording loses it; a
// delivery stores it in the journal and only then removes the file. The id
// makes a second delivery of the same attempt store nothing.
namespace Spool {

QString defaultFolder();

// Writes the attempt whole into the spool; false, with the reason, when the
// folder cannot be made or the file written.
bool put(const Attempt &attempt, const QString &folder = defaultFolder(), QString *error = nullptr);
QStringList pending(const QString &folder = defaultFolder());

// Delivers every attempt in the spool to the journal at address; false,
// with the reason, at the first that could not be stored.
bool deliver(const JournalAddress &address, const QString &folder = defaultFolder(),
             QString *error = nullptr);

// What became of a finished attempt: stored in the journal, kept in the
// spool for a later delivery, or lost, kept by neither.
enum class Recorded { Stored, Spooled, Lost };
struct Recording
{
    Recorded outcome = Recorded::Lost;
    QString reason; // for Lost: why neither the spool nor the journal took it
};
// Spools the attempt and delivers the spool to the journal in force on a
// thread of its own, waiting for that at most wait: a journal that is slow
// or away leaves the attempt in the spool, for a later delivery. Where the
// spool cannot be written, the journal is tried at once, and failing that
// the attempt is lost, which the answer says.
Recording record(const Attempt &attempt, std::chrono::milliseconds wait,
                 const QString &folder = defaultFolder());
// Delivers the spool on a thread of its own; the caller does not wait.
void deliverInBackground(const QString &folder = defaultFolder());
// Waits for the deliveries still under way, before the program ends.
void finishDeliveries();

} // namespace Spool

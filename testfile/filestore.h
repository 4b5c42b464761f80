#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Reading and writing a test file's bytes, so that no read hangs and no
// save leaves a test shorter, mixed or empty.
//
// A file is opened without blocking and then checked to be a regular file,
// so a FIFO or a device swapped in for the path is refused, never waited on.
// A save replaces the file by a new one where that keeps its owner, group,
// mode and hard links; elsewhere (a folder that allows no new files, a file
// of another owner, a second link) it writes in place under protection:
// room is made first, the old contents wait in a recovery copy in the
// user's own data folder until the new ones are synced, and on any failure
// the old contents are put back.
namespace FileStore {

// Larger files are refused unread: no test comes near this.
inline constexpr qint64 MaxTestSize = 256 * 1024 * 1024;

enum class Status { Ok, Missing, NotRegular, Unreadable, TooLarge };

struct Contents
{
    Status status = Status::Missing;
    QByteArray bytes; // empty unless status is Ok
    // Of the file read, as it was opened (for Ok, Unreadable and TooLarge
    // after the file was opened; 0 otherwise).
    uint owner = 0;
    uint mode = 0;
};

// Whether a symbolic link at the path itself is followed: a file that lives
// in a folder of its own (a spool's entry) is never read from elsewhere.
enum class Links { Follow, Refuse };

// The file's bytes, at most limit of them (a larger file is TooLarge).
Contents read(const QString &path, Links links = Links::Follow, qint64 limit = MaxTestSize);

// Whether a read found a file: a folder or a FIFO is no file, while a file
// that cannot be read or is too large still is one.
inline bool foundFile(Status status)
{
    return status != Status::Missing && status != Status::NotRegular;
}

// Makes bytes the file's contents; false when that failed, and the file
// then holds what it held before. A file that exists but is not writable
// by the user is never replaced.
[[nodiscard]] bool write(const QString &path, const QByteArray &bytes);

// The old contents of path kept by a save in place that did not finish,
// when they differ from what the file holds now. A copy equal to the file
// is of no use and is removed.
std::optional<QByteArray> recoveryCopy(const QString &path);
// Writes the recovery copy back into path, then removes it; false, keeping
// the copy, when the write failed.
[[nodiscard]] bool restoreRecoveryCopy(const QString &path);
void discardRecoveryCopy(const QString &path);
// Where the recovery copy for path is kept.
QString recoveryCopyPath(const QString &path);

QString missingFileMessage(const QString &path);
QString tooLargeMessage(const QString &path);
QString writeErrorMessage(const QString &path);

} // namespace FileStore

#include "filestore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileStore {

namespace {

// A descriptor that closes itself.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and tells whether the close succeeded.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

int openFile(const QByteArray &path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(path.constData(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n
                = ::pwrite(fd, bytes.data() + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Reads an open regular file from its start into bytes: Ok, Unreadable on
// a read error, TooLarge past limit bytes.
Status readAll(int fd, qint64 sizeHint, QByteArray &bytes, qint64 limit = MaxTestSize)
{
    bytes.resize(qsizetype(qMin<qint64>(sizeHint, limit)));
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            // The file grew since it was looked at: read on in steps.
            if (bytes.size() > limit)
                return Status::TooLarge;
            bytes.resize(bytes.size() + 65536);
        }
        const ssize_t n
                = ::pread(fd, bytes.data() + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Status::Unreadable;
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return done > limit ? Status::TooLarge : Status::Ok;
}

// The file a path names, its symbolic links followed.
QString targetOf(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

void syncFolder(const QString &folder)
{
    const Descriptor dir(openFile(QFile::encodeName(folder), O_RDONLY | O_DIRECTORY));
    if (dir.valid())
        ::fsync(dir.get());
}

enum class Replaced { Done, Failed, Impossible };

// Writes bytes into a new file beside target and renames it over target.
// Impossible when the folder allows no new file, or when the new file
// could not be given the owner, group and mode of the existing one.
Replaced replace(const QString &target, const struct stat *existing, const QByteArray &bytes)
{
    const QFileInfo info(target);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = QFile::encodeName(info.absoluteDir().filePath(
                QStringLiteral(".%1.%2.tmp")
                        .arg(info.fileName())
                        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))));
        fd = openFile(temporary, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return existing ? Replaced::Impossible : Replaced::Failed;
    Descriptor file(fd);
    auto abandon = [&](Replaced result) {
        file.close();
        ::unlink(temporary.constData());
        return result;
    };
    if (existing) {
        struct stat mine;
        if (::fstat(fd, &mine) != 0)
            return abandon(Replaced::Failed);
        if ((mine.st_uid != existing->st_uid || mine.st_gid != existing->st_gid)
            && ::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
            return abandon(Replaced::Impossible);
        }
        if (::fchmod(fd, existing->st_mode & 07777) != 0)
            return abandon(Replaced::Impossible);
    }
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0 || !file.close())
        return abandon(Replaced::Failed);
    if (::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0) {
        ::unlink(temporary.constData());
        // A sticky folder lets others add files but not replace this one.
        return existing ? Replaced::Impossible : Replaced::Failed;
    }
    syncFolder(info.absolutePath());
    return Replaced::Done;
}

bool keepRecoveryCopy(const QString &target, const QByteArray &old)
{
    const QString path = recoveryCopyPath(target);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile::setPermissions(QFileInfo(path).absolutePath(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSaveFile copy(path);
    return copy.open(QIODevice::WriteOnly) && copy.write(old) == old.size() && copy.commit();
}

// Overwrites target where it is. Until the new contents are synced the old
// ones wait in the recovery copy (unless takeCopy is false: the caller
// keeps one already); every failure puts them back.
bool writeInPlace(const QString &target, const QByteArray &bytes, bool takeCopy)
{
    const Descriptor file(openFile(QFile::encodeName(target), O_RDWR));
    struct stat st;
    if (!file.valid() || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    QByteArray old;
    if (readAll(file.get(), st.st_size, old) != Status::Ok)
        return false;
    if (old == bytes)
        return true;
    // Under a file size limit below either length, neither the new contents
    // nor the old ones could be written back: fail before touching a byte.
    rlimit limit;
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        && rlim_t(qMax(old.size(), bytes.size())) > limit.rlim_cur) {
        return false;
    }
    if (takeCopy && !keepRecoveryCopy(target, old))
        return false;
    auto dropCopy = [&] {
        if (takeCopy)
            QFile::remove(recoveryCopyPath(target));
    };
    // Room first: a full disk or a size limit fails here, before a byte
    // of the test has changed.
    if (bytes.size() > old.size()
        && ::posix_fallocate(file.get(), off_t(old.size()), off_t(bytes.size() - old.size()))
                != 0) {
        const bool restored = ::ftruncate(file.get(), off_t(old.size())) == 0;
        if (restored)
            dropCopy();
        return false;
    }
    if (writeAll(file.get(), bytes) && ::ftruncate(file.get(), off_t(bytes.size())) == 0
        && ::fsync(file.get()) == 0) {
        dropCopy();
        return true;
    }
    const bool restored = writeAll(file.get(), old)
            && ::ftruncate(file.get(), off_t(old.size())) == 0 && ::fsync(file.get()) == 0;
    // A copy that could not be written back stays, to be offered later.
    if (restored)
        dropCopy();
    return false;
}

bool write(const QString &path, const QByteArray &bytes, bool takeCopy)
{
    const QString target = targetOf(path);
    const QByteArray encoded = QFile::encodeName(target);
    struct stat st;
    if (::stat(encoded.constData(), &st) != 0) {
        if (errno != ENOENT)
            return false;
        return replace(target, nullptr, bytes) == Replaced::Done;
    }
    if (!S_ISREG(st.st_mode) || ::faccessat(AT_FDCWD, encoded.constData(), W_OK, AT_EACCESS) != 0)
        return false;
    // A replacement would leave the other names of the file on the old version.
    if (st.st_nlink == 1) {
        switch (replace(target, &st, bytes)) {
        case Replaced::Done:
            return true;
        case Replaced::Failed:
            return false;
        case Replaced::Impossible:
            break;
        }
    }
    return writeInPlace(target, bytes, takeCopy);
}

} // namespace

Contents read(const QString &path, Links links, qint64 limit)
{
    const Descriptor file(openFile(QFile::encodeName(path),
                                   O_RDONLY | (links == Links::Refuse ? O_NOFOLLOW : 0)));
    if (!file.valid()) {
        // A link where none may be is no file to read.
        if (errno == ELOOP && links == Links::Refuse)
            return {Status::NotRegular, {}};
        return {errno == ENOENT || errno == ENOTDIR ? Status::Missing : Status::Unreadable, {}};
    }
    struct stat st;
    if (::fstat(file.get(), &st) != 0)
        return {Status::Unreadable, {}};
    if (!S_ISREG(st.st_mode))
        return {Status::NotRegular, {}};
    Contents contents;
    contents.owner = st.st_uid;
    contents.mode = st.st_mode;
    if (st.st_size > limit) {
        contents.status = Status::TooLarge;
        return contents;
    }
    contents.status = readAll(file.get(), st.st_size, contents.bytes, limit);
    if (contents.status != Status::Ok)
        contents.bytes.clear();
    return contents;
}

bool write(const QString &path, const QByteArray &bytes)
{
    return write(path, bytes, true);
}

QString recoveryCopyPath(const QString &path)
{
    const QByteArray key = QCryptographicHash::hash(QFile::encodeName(targetOf(path)),
                                                    QCryptographicHash::Sha256)
                                   .toHex();
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/Quivara/recovery/") + QString::fromLatin1(key)
            + QStringLiteral(".quivara");
}

std::optional<QByteArray> recoveryCopy(const QString &path)
{
    const Contents copy = read(recoveryCopyPath(path));
    if (copy.status != Status::Ok)
        return std::nullopt;
    const Contents now = read(path);
    if (now.status == Status::Ok && now.bytes == copy.bytes) {
        discardRecoveryCopy(path);
        return std::nullopt;
    }
    return copy.bytes;
}

bool restoreRecoveryCopy(const QString &path)
{
    const Contents copy = read(recoveryCopyPath(path));
    if (copy.status != Status::Ok || !write(path, copy.bytes, false))
        return false;
    discardRecoveryCopy(path);
    return true;
}

void discardRecoveryCopy(const QString &path)
{
    QFile::remove(recoveryCopyPath(path));
}

QString missingFileMessage(const QString &path)
{
    return QStringLiteral("Файл \"%1\" не существует!").arg(path);
}

QString tooLargeMessage(const QString &path)
{
    return QStringLiteral("Файл \"%1\" слишком велик для теста!").arg(path);
}

QString writeErrorMessage(const QString &path)
{
    return QStringLiteral("Unable to write to %1").arg(path);
}

} // namespace FileStore

#include "address.h"

#include "filestore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ConfFile
{
    QString journal;
    QString password;
    bool hasPassword = false;
    uint owner = 0; // of the file as it was read
    uint mode = 0;
};

// A configuration file's "key=value" lines; "#" and ";" begin comments.
// Opened without blocking and read only when it is a regular file, so a
// FIFO or a device in its place never holds a program up.
std::optional<ConfFile> readConf(const QString &path)
{
    const FileStore::Contents contents = FileStore::read(path, FileStore::Links::Follow, 64 * 1024);
    if (contents.status != FileStore::Status::Ok)
        return std::nullopt;
    ConfFile conf;
    conf.owner = contents.owner;
    conf.mode = contents.mode;
    const QList<QByteArray> lines = contents.bytes.split('\n');
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("journal")) {
            conf.journal = value;
        } else if (key == QLatin1String("password")) {
            conf.password = value;
            conf.hasPassword = true;
        }
    }
    return conf;
}

// Why a password in this file may not be used, or nothing when it may;
// judged by the file that was read, not by what the path names now.
QString passwordRefusal(const QString &path, const ConfFile &conf, bool usersOwn)
{
    if (usersOwn) {
        if (conf.owner != ::geteuid() || (conf.mode & (S_IRWXG | S_IRWXO)) != 0)
            return QStringLiteral("пароль в файле %1 могут прочитать другие пользователи; "
                                  "закройте им доступ: chmod 600 %1")
                    .arg(path);
    } else if (conf.owner != 0 || (conf.mode & (S_IWGRP | S_IWOTH)) != 0) {
        return QStringLiteral("файл %1 с паролем может изменить не только root").arg(path);
    }
    return QString();
}

} // namespace

JournalAddress JournalAddress::parse(const QString &text)
{
    JournalAddress a;
    a.text = text;
    if (text.startsWith(QLatin1String("sqlite:"))) {
        a.path = text.mid(7);
        if (a.path.isEmpty()) {
            a.error = QStringLiteral("в адресе журнала %1 нет пути к файлу").arg(text);
            return a;
        }
        a.kind = Kind::Sqlite;
        return a;
    }
    static const QLatin1String scheme("postgresql://");
    if (text.startsWith(scheme)) {
        // [user@]host[:port]/database, each part percent-encoded; the host is
        // a name, or a socket folder ("%2Frun%2Fpostgresql").
        const QString rest = text.mid(scheme.size());
        const qsizetype slash = rest.indexOf(u'/');
        QString authority = rest.left(slash);
        const QString database = rest.mid(slash + 1);
        const qsizetype at = authority.lastIndexOf(u'@');
        if (at >= 0) {
            a.user = QUrl::fromPercentEncoding(authority.left(at).toUtf8());
            authority = authority.mid(at + 1);
        }
        bool portOk = true;
        const qsizetype colon = authority.lastIndexOf(u':');
        if (colon >= 0) {
            a.port = authority.mid(colon + 1).toInt(&portOk);
            portOk = portOk && a.port > 0 && a.port <= 65535;
            authority = authority.left(colon);
        }
        a.host = QUrl::fromPercentEncoding(authority.toUtf8());
        a.database = QUrl::fromPercentEncoding(database.toUtf8());
        static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9.-]+$"));
        const bool hostOk = a.host.startsWith(u'/') || name.match(a.host).hasMatch();
        if (slash > 0 && portOk && hostOk && !a.database.isEmpty() && !database.contains(u'/')
            && !database.contains(u'?') && !a.user.contains(u':')) {
            a.kind = Kind::Postgresql;
            return a;
        }
    }
    a = JournalAddress();
    a.text = text;
    a.error = QStringLiteral("адрес журнала «%1» не понят: нужен sqlite:ПУТЬ или "
                             "postgresql://[пользователь@]сервер[:порт]/база")
                      .arg(text);
    return a;
}

QString JournalAddress::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/Quivara/journal.sqlite");
}

JournalAddress JournalAddress::inForce()
{
    const QString fromEnvironment = qEnvironmentVariable("QUIVARA_JOURNAL");
    if (!fromEnvironment.isEmpty())
        return parse(fromEnvironment);
    const QStringList folders
            = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    for (int i = 0; i < folders.size(); ++i) {
        const QString path = folders[i] + QStringLiteral("/Quivara/journal.conf");
        const std::optional<ConfFile> conf = readConf(path);
        if (!conf || conf->journal.isEmpty())
            continue;
        JournalAddress a = parse(conf->journal);
        if (!a.isValid() || !conf->hasPassword)
            return a;
        const bool usersOwn = i == 0
                && folders[0]
                        == QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QString refusal = passwordRefusal(path, *conf, usersOwn);
        if (!refusal.isEmpty()) {
            a.kind = Kind::Invalid;
            a.error = refusal;
            return a;
        }
        a.password = conf->password;
        return a;
    }
    return parse(QStringLiteral("sqlite:") + defaultPath());
}

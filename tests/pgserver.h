#pragma once

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

// A PostgreSQL server of a test's own: made with initdb in a temporary
// folder, listening on a Unix socket there only, and stopped and removed
// with the object. The machine's own clusters are never touched. As root it
// runs as the unprivileged user nobody, as PostgreSQL demands.
class PgServer
{
public:
    PgServer()
    {
        const QDir versions(QStringLiteral("/usr/lib/postgresql"));
        for (const QString &version : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString bin = versions.filePath(version + QStringLiteral("/bin"));
            if (QFile::exists(bin + QStringLiteral("/pg_ctl")))
                m_bin = bin; // the last listed: the newest
        }
    }
    ~PgServer() { stop(); }

    // Why no server can be had here; empty when one can.
    QString missing() const
    {
        return m_bin.isEmpty() ? QStringLiteral("PostgreSQL's server programs (postgresql-15) are "
                                                "not installed")
                               : QString();
    }

    bool start()
    {
        if (!m_bin.isEmpty() && !m_made) {
            if (!m_dir.isValid())
                return false;
            if (geteuid() == 0 && ::chown(QFile::encodeName(m_dir.path()), 65534, 65534) != 0)
                return false;
            m_made = run(m_bin + "/initdb",
                         {"-D", data(), "-U", "postgres", "--auth=trust", "-E", "UTF8",
                          "--locale=C.UTF-8"});
        }
        m_running = m_made
                && run(m_bin + "/pg_ctl",
                       {"-D", data(), "-l", m_dir.filePath("log"), "-w", "-t", "60", "-o",
                        "-k " + m_dir.path() + " -c listen_addresses='' -p 5432", "start"});
        return m_running;
    }

    void stop()
    {
        if (m_running)
            run(m_bin + "/pg_ctl", {"-D", data(), "-w", "-m", "fast", "stop"});
        m_running = false;
    }

    // Runs SQL as the superuser in database; true when it all worked.
    bool psql(const QString &database, const QStringList &arguments, QString *output = nullptr)
    {
        QProcess p;
        p.start(m_bin + "/psql",
                QStringList{"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", m_dir.path(), "-U",
                            "postgres", "-d", database}
                        + arguments);
        p.waitForFinished(60000);
        if (output)
            *output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    // A database set up by the journal's script for the server.
    bool makeJournal(const QString &database, const QString &script)
    {
        return psql("postgres", {"-c", "CREATE DATABASE " + database})
                && psql(database, {"-f", script});
    }

    QString address(const QString &user, const QString &database) const
    {
        return QStringLiteral("postgresql://%1@%2/%3")
                .arg(user, QString::fromLatin1(QUrl::toPercentEncoding(m_dir.path())), database);
    }

private:
    QString data() const { return m_dir.filePath("data"); }

    bool run(const QString &program, const QStringList &arguments)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        if (geteuid() == 0)
            p.start("setpriv",
                    QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", "--", program}
                            + arguments);
        else
            p.start(program, arguments);
        const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit
                && p.exitCode() == 0;
        if (!ok)
            qWarning("%s failed: %s", qPrintable(program), p.readAll().constData());
        return ok;
    }

    QString m_bin;
    QTemporaryDir m_dir{QDir::tempPath() + "/pg-XXXXXX"};
    bool m_made = false;
    bool m_running = false;
};

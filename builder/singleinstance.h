#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

// At most one editor runs at a time. The first start holds a lock file named
// "Quivara Builder" in a per-user folder and listens there; a later start
// finds the lock held and asks the first to bring its window forward. A
// crashed editor's lock is stale and never blocks the next start.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    static inline const QString Name = QStringLiteral("Quivara Builder");

    // folder: where the lock and the socket live; by default the user's
    // runtime folder.
    explicit SingleInstance(const QString &folder = QString(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when no other editor runs; this one then holds the lock until it
    // is destroyed and hears later starts.
    bool tryToRun();
    // Asks the running editor to bring its window to the front.
    void askRunningToShow();

signals:
    void showRequested();

private:
    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
};

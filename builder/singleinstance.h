#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

// At most one editor runs at a time. The first start holds a lock file named
// "Quivara Builder" in a per-user folder and listens there; a later start
// finds the lock held and asks the first to bring its window forward. A lock
// whose holder does not answer at the socket is stale and is replaced, and
// where the lock cannot be used at all the editor starts anyway: a damaged
// lock file never keeps the editor from starting.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    static inline const QString Name = QStringLiteral("Quivara Builder");

    // folder: where the lock and the socket live; by default the user's
    // runtime folder.
    explicit SingleInstance(const QString &folder = QString(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // How long a running editor has to answer at its socket.
    static constexpr int AnswerTimeoutMs = 2000;

    // True when no other editor runs; this one then holds the lock (where it
    // can) until it is destroyed and hears later starts. False when another
    // editor answered: it was asked to bring its window to the front.
    // A request, if any, goes to the editor that runs.
    bool tryToRun(const QByteArray &request = QByteArray());

    // The request of a start that opens the journal.
    static inline const QByteArray JournalRequest = QByteArrayLiteral("journal\n");

signals:
    void showRequested();
    void journalRequested();

private:
    bool runningEditorAnswers(const QByteArray &request);
    void listen();

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
};

#include "singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

QString folderOrDefault(const QString &folder)
{
    return folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                            : folder;
}

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_socketPath(QDir(folderOrDefault(folder)).filePath(Name + QStringLiteral(".socket")))
    , m_lock(QDir(folderOrDefault(folder)).filePath(Name + QStringLiteral(".lock")))
{
    // A lock is stale only when its process is gone, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

bool SingleInstance::tryToRun(const QByteArray &request)
{
    if (!m_lock.tryLock(0)) {
        if (runningEditorAnswers(request))
            return false;
        // Nobody answers for the lock, or it is not a lock at all (empty,
        // garbled, a folder, another user's): take it over where possible.
        m_lock.removeStaleLockFile();
        m_lock.tryLock(0);
    }
    listen();
    return true;
}

bool SingleInstance::runningEditorAnswers(const QByteArray &request)
{
    // The holder may have taken the lock a moment ago and not be listening
    // yet, so it has a little while to answer; connecting is the request.
    QElapsedTimer waited;
    waited.start();
    do {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(AnswerTimeoutMs)) {
            if (!request.isEmpty()) {
                socket.write(request);
                socket.waitForBytesWritten(AnswerTimeoutMs);
            }
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(50);
    } while (waited.elapsed() < AnswerTimeoutMs);
    return false;
}

void SingleInstance::listen()
{
    // Nobody answered at the socket, so any left here belongs to a crashed editor.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            // Only a known request counts; a short line at most is read.
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->bytesAvailable() >= JournalRequest.size()
                    && socket->read(JournalRequest.size()) == JournalRequest)
                    emit journalRequested();
            });
            emit showRequested();
        }
    });
    m_server->listen(m_socketPath);
}

#include "singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

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

bool SingleInstance::tryToRun()
{
    if (!m_lock.tryLock(0))
        return m_lock.error() != QLockFile::LockFailedError;
    // Holding the lock, any socket left here belongs to a crashed editor.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            emit showRequested();
        }
    });
    m_server->listen(m_socketPath);
    return true;
}

void SingleInstance::askRunningToShow()
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (socket.waitForConnected(1000))
        socket.disconnectFromServer();
}

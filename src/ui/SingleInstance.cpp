#include "SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent)
    , m_serverName(serverName)
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::listen()
{
    if (m_server)
        return true;
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the instance lock, so a socket file left here is a crashed
    // run's and nobody answers on it.
    QLocalServer::removeServer(m_serverName);
    if (!server->listen(m_serverName)) {
        delete server;
        return false;
    }
    m_server = server;
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    return true;
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [socket] {
            if (socket->bytesAvailable() > kMessageLimit)
                socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            const QByteArray message = socket->readAll();
            if (message.size() <= kMessageLimit)
                Q_EMIT pathsReceived(decode(message));
        });
    }
}

bool SingleInstance::handOver(const QStringList &paths, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(encode(paths));
    if (socket.bytesToWrite() > 0 && !socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

QByteArray SingleInstance::encode(const QStringList &paths)
{
    QByteArray message;
    for (const QString &path : paths) {
        if (path.isEmpty() || path.contains(QLatin1Char('\n')))
            continue;
        message += path.toUtf8() + '\n';
    }
    return message;
}

QStringList SingleInstance::decode(const QByteArray &message)
{
    QStringList paths;
    for (const QByteArray &line : message.split('\n')) {
        if (paths.size() >= kPathLimit)
            break;
        if (!line.isEmpty())
            paths.append(QString::fromUtf8(line));
    }
    return paths;
}

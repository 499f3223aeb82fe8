#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

// One running copy per caches folder tree: a second start hands its file
// arguments to the running copy over a local socket, then exits. The socket
// is for this user only; what arrives is bounded and taken as paths only.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kMessageLimit = 1 << 20;
    static constexpr int kPathLimit = 1000;

    explicit SingleInstance(const QString &serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    // The running copy's side; false when the socket cannot be made.
    bool listen();
    // A second copy's side: true once the running copy has the paths.
    bool handOver(const QStringList &paths, int timeoutMs = 3000) const;

    // The wire format: UTF-8 paths, one a line. Lines beyond the limits and
    // empty ones are dropped.
    static QByteArray encode(const QStringList &paths);
    static QStringList decode(const QByteArray &message);

Q_SIGNALS:
    void pathsReceived(const QStringList &paths);

private:
    void acceptConnection();

    QString m_serverName;
    QLocalServer *m_server = nullptr;
};

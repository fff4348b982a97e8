#include "app/InstanceGuard.h"

#include "core/Trace.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {
constexpr int kReadableNameMax = 80;
}

CInstanceGuard::CInstanceGuard(const QString& instanceName, const QString& folder, QObject* parent)
    : QObject(parent)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    m_socketPath = QDir(dir).filePath(SocketName(instanceName));
}

CInstanceGuard::~CInstanceGuard()
{
    if (m_server) {
        m_server->close();  // removes the socket file
        m_server.reset();
    }
    m_lock.reset();  // removes the lock file
}

QString CInstanceGuard::InstanceName(const QString& deviceName, const QString& deviceIP)
{
    return QStringLiteral("Module:") + deviceName + deviceIP;
}

QString CInstanceGuard::SocketName(const QString& instanceName)
{
    const QByteArray utf8 = instanceName.toUtf8();
    QString safe = QStringLiteral("tqx-");
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-')
            safe += QLatin1Char(static_cast<char>(c));
        else
            safe += QStringLiteral("_%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    if (safe.size() > kReadableNameMax) {
        const QByteArray hash = QCryptographicHash::hash(utf8, QCryptographicHash::Sha1).toHex().left(16);
        safe = safe.left(kReadableNameMax - 17) + QLatin1Char('-') + QString::fromLatin1(hash);
    }
    return safe;
}

CInstanceGuard::Claim CInstanceGuard::claim(const QByteArray& request, int timeoutMs)
{
    m_lock = std::make_unique<QLockFile>(m_socketPath + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);  // stale only when its process is gone, however old
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            // Served by a live process: hand the request over and leave silently.
            m_lock.reset();
            if (!sendRequest(request, timeoutMs))
                TRACE() << "instance" << m_socketPath << "is busy and did not take the request";
            return Claim::Secondary;
        }
        TRACE() << "cannot lock" << m_socketPath << "- running without the one-instance guard";
        m_lock.reset();
        return Claim::Primary;
    }

    // The lock is ours, so a socket file still there was left by a crashed instance.
    QLocalServer::removeServer(m_socketPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &CInstanceGuard::onNewConnection);
    if (!m_server->listen(m_socketPath)) {
        TRACE() << "cannot listen on" << m_socketPath << ":" << m_server->errorString();
        m_server.reset();
    } else {
        TRACE() << "instance listening on" << m_socketPath;
    }
    return Claim::Primary;
}

bool CInstanceGuard::sendRequest(const QByteArray& request, int timeoutMs) const
{
    // The serving process may hold the lock but not yet listen: retry until the deadline.
    QDeadlineTimer deadline(timeoutMs);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 1, 500)))) {
            socket.write(request + '\n');
            bool sent = true;
            while (sent && socket.bytesToWrite() > 0)
                sent = socket.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
            socket.disconnectFromServer();
            return sent;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}

void CInstanceGuard::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        QTimer::singleShot(kRequestIdleMs, socket, [socket] { socket->abort(); socket->deleteLater(); });
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void CInstanceGuard::onReadyRead(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(kMaxRequestLine + 2).trimmed();
        if (line.size() > kMaxRequestLine) {
            socket->abort();
            return;
        }
        // A request may run a page's modal loop, in which this connection can end and be deleted:
        // it is carried out from the event loop, after the reading here is done with the socket.
        if (line == "activate") {
            QMetaObject::invokeMethod(this, &CInstanceGuard::activateRequested, Qt::QueuedConnection);
        } else if (line.startsWith("command ")) {
            bool ok = false;
            const int id = line.mid(8).toInt(&ok);
            if (ok)
                QMetaObject::invokeMethod(this, [this, id] { emit commandRequested(id); }, Qt::QueuedConnection);
        }
    }
    if (socket->bytesAvailable() > kMaxRequestLine)
        socket->abort();
}

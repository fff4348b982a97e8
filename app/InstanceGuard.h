// One module per device. The instance name is "Module:" + device name + device address, run together.
// The first start for an instance holds a lock file and listens on a local socket named after it (both
// in the user's runtime folder); a later start for the same instance finds the lock held, asks the
// first one over the socket to come to the front and ends. A lock or socket left behind by a crashed
// instance is recognised (its process is gone) and taken over.
//
// The socket carries lines of ASCII text, each ended by "\n", from the later start to the first:
//   activate        bring the main window to the front
//   command <id>    run menu command <id> (decimal) in the main window
// Requests are signalled from the event loop once the line is read, never from inside the read, so a
// connection may close, stay or send more while the request runs. Unknown lines are ignored; a line longer than kMaxRequestLine bytes ends the connection, and so
// does a client that stays silent for kRequestIdleMs.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalSocket;

class CInstanceGuard : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        Primary,    // this process serves the instance (or could not claim it and runs unguarded)
        Secondary,  // another live process serves it; the request was handed over (if it listened)
    };

    static constexpr int kMaxRequestLine = 256;
    static constexpr int kRequestIdleMs = 5000;

    // folder: where the lock and the socket live; empty means the user's runtime folder.
    explicit CInstanceGuard(const QString& instanceName, const QString& folder = QString(), QObject* parent = nullptr);
    ~CInstanceGuard() override;

    // Claims the instance. When it is already served, sends request (a line without "\n") to the
    // process that serves it, waiting at most timeoutMs for it to listen and take the line.
    Claim claim(const QByteArray& request = QByteArrayLiteral("activate"), int timeoutMs = 3000);

    // "Module:" + device name + device address, no separators.
    static QString InstanceName(const QString& deviceName, const QString& deviceIP);
    // The instance name made safe as a socket file name: letters, digits, '.' and '-' are kept, every
    // other byte of its UTF-8 text becomes "_" and two hex digits; long names end in a hash.
    static QString SocketName(const QString& instanceName);

    QString socketPath() const { return m_socketPath; }
    bool listening() const { return m_server && m_server->isListening(); }

signals:
    void activateRequested();
    void commandRequested(int id);

private:
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);
    bool sendRequest(const QByteArray& request, int timeoutMs) const;

    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

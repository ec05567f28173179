#include "presence.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

QString PresenceName() { return QStringLiteral("Nelvora-%1").arg(getuid()); }

PresenceMarker::PresenceMarker(QObject* parent) : QObject(parent) {}

PresenceMarker::~PresenceMarker() = default;

bool PresenceMarker::Hold(const QString& name)
{
    if (server_)
        return true;
    auto* server = new QLocalServer(this);
    // The abstract namespace leaves no file behind, so a killed program is never
    // mistaken for a running one.
    server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!server->listen(name)) {
        delete server;
        return false;
    }
    // Connections carry no data; accept and drop them so none pile up.
    connect(server, &QLocalServer::newConnection, server, [server] {
        while (QLocalSocket* s = server->nextPendingConnection()) {
            s->disconnectFromServer();
            s->deleteLater();
        }
    });
    server_ = server;
    return true;
}

bool IsResidentRunning(const QString& name)
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(name);
    if (socket.waitForConnected(1000)) {
        socket.disconnectFromServer();
        return true;
    }
    // Only a refusal means nobody holds the name. A holder that is busy and whose queue
    // of connections is full makes the connection wait instead: it still runs.
    const QLocalSocket::LocalSocketError error = socket.error();
    socket.abort();
    return error != QLocalSocket::ConnectionRefusedError &&
           error != QLocalSocket::ServerNotFoundError;
}

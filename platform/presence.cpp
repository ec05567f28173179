#include "presence.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

QString PresenceName() { return QStringLiteral("Nelvora-%1").arg(getuid()); }

PresenceMarker::PresenceMarker(QObject* parent) : QObject(parent) {}

PresenceMarker::~PresenceMarker() = default;

bool PresenceMarker::Hold()
{
    if (server_)
        return true;
    auto* server = new QLocalServer(this);
    // The abstract namespace leaves no file behind, so a killed program is never
    // mistaken for a running one.
    server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!server->listen(PresenceName())) {
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

bool IsResidentRunning()
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(PresenceName());
    const bool connected = socket.waitForConnected(1000);
    if (connected)
        socket.disconnectFromServer();
    return connected;
}

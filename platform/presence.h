#pragma once
// The resident program's presence: a per-user local socket in the abstract namespace,
// held while it runs. Nothing is left behind when the program is killed.

#include <QObject>
#include <QString>

class QLocalServer;

QString PresenceName(); // "Nelvora-<uid>"

class PresenceMarker : public QObject {
    Q_OBJECT
public:
    explicit PresenceMarker(QObject* parent = nullptr);
    ~PresenceMarker() override;
    // False when another copy already holds it; this copy then runs without it. Tests
    // pass a name of their own so they never meet a real copy.
    bool Hold(const QString& name = PresenceName());

private:
    QLocalServer* server_ = nullptr;
};

// True when a resident program holds the marker.
bool IsResidentRunning(const QString& name = PresenceName());

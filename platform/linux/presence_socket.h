#pragma once
// The resident program's presence on Linux: a Unix socket in a folder private to the user
// (PresenceFolder()), listened on while it runs. Looking only connects and checks that
// the listener runs as the same user; no data passes.

#include "presence.h"

#include <QObject>
#include <QString>

#include <sys/types.h>

class QSocketNotifier;

// "Velmaro.socket": the marker's file name in PresenceFolder().
QString PresenceName();

// $XDG_RUNTIME_DIR when it is a folder of this user that no one else may enter; else
// PresenceHomeFolder(); else $TMPDIR (or /tmp) + "/nelvora-<uid>". The last two are made
// 0700 when missing and refused unless they are real folders of this user closed to
// everyone else. Empty when none will do: then nothing is held and nothing is seen.
QString PresenceFolder();
// Under XdgStateHome(), one per machine: "<state>/Velmaro/presence-<machine id>".
QString PresenceHomeFolder();

class PresenceMarker : public QObject {
    Q_OBJECT
public:
    explicit PresenceMarker(QObject* parent = nullptr);
    ~PresenceMarker() override;
    // False when a copy of this user already listens there (it is never taken over), or
    // when there is no private folder. The file of a killed copy is taken over. Tests
    // pass a name of their own so they never meet a real copy.
    bool Hold(const QString& name = PresenceName());
    bool Holds() const { return fd_ >= 0; }

private:
    void AcceptPending();

    int fd_ = -1;
    QByteArray path_;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    QSocketNotifier* notifier_ = nullptr;
};

ResidentPresence LookForResident(const QString& name = PresenceName());
// True when a resident program of this user holds the marker.
bool IsResidentRunning(const QString& name = PresenceName());

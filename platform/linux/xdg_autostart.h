#pragma once
// Start at log-in on Linux: the XDG autostart entry <config home>/autostart/Nelvora.desktop,
// found afresh from $XDG_CONFIG_HOME at every call.

#include "autostart.h"

#include <QByteArray>
#include <QString>

// The entry's text, Exec= the quoted full path of the resident program.
QByteArray AutostartEntryText(const QString& residentPath);

class XdgAutostart : public IAutostart {
public:
    QString Folder() const;
    QString EntryPath() const;

    // Writes the entry (creating the autostart folder when needed).
    bool SetRunAtStartup(const QString& residentPath) override;
    // "Unavailable" when the autostart folder neither exists nor can be created.
    AutostartState State() override;
    bool Remove() override;
};

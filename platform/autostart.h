#pragma once
// Start at log-in: the XDG autostart entry <config home>/autostart/Nelvora.desktop.

#include <QByteArray>
#include <QString>

QString AutostartFolder();
QString AutostartEntryPath();

// The entry's text, Exec= the quoted full path of the resident program.
QByteArray AutostartEntryText(const QString& residentPath);

// Writes the entry (creating the autostart folder when needed). False when the folder
// cannot be made or the file cannot be written; callers pass over that in silence.
bool SetRunAtStartup(const QString& residentPath);

enum class AutostartState {
    FolderUnavailable, // the autostart folder neither exists nor can be created
    Absent,
    Present,
};
AutostartState ReadAutostartState();
// Removes the entry; false when it is still there afterwards.
bool RemoveAutostartEntry();

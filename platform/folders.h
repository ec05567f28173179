#pragma once
#include <QString>

// $XDG_DATA_HOME, else ~/.local/share (absolute paths only, as the XDG rules say).
QString DataHome();
// $XDG_CONFIG_HOME, else ~/.config.
QString ConfigHome();
// $XDG_STATE_HOME, else ~/.local/state: what a program keeps for itself between runs.
QString StateHome();
// Makes the folder and any missing parents with mode 0700, whatever the umask, as the
// XDG rules ask of the folders a program creates; folders already there keep their mode.
// True when the folder exists afterwards.
bool MakePrivateFolders(const QString& path);
// The running executable's folder, ending with "/".
QString ProgramFolder();

#pragma once
#include <QString>

// $XDG_DATA_HOME, else ~/.local/share (absolute paths only, as the XDG rules say).
QString DataHome();
// $XDG_CONFIG_HOME, else ~/.config.
QString ConfigHome();
// $XDG_STATE_HOME, else ~/.local/state: what a program keeps for itself between runs.
QString StateHome();
// The running executable's folder, ending with "/".
QString ProgramFolder();

#pragma once
#include <QString>

// $XDG_DATA_HOME, else ~/.local/share (absolute paths only, as the XDG rules say).
QString DataHome();
// $XDG_CONFIG_HOME, else ~/.config.
QString ConfigHome();
// The running executable's folder, ending with "/".
QString ProgramFolder();

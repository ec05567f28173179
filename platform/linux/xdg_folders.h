#pragma once
// The XDG base folders (absolute paths only, as the XDG rules say), for the Linux side of
// the platform.

#include <QString>

// $XDG_DATA_HOME, else ~/.local/share.
QString XdgDataHome();
// $XDG_CONFIG_HOME, else ~/.config.
QString XdgConfigHome();
// $XDG_STATE_HOME, else ~/.local/state.
QString XdgStateHome();

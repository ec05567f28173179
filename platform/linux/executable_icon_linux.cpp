#include "executable_icon.h"

// An ELF program carries no icon; the tray form draws its own pictures.
QIcon ExecutableIcon() { return {}; }

#pragma once
// The icon the running executable carries in itself.

#include <QIcon>

// Windows: the executable's icon resource 1, the one Explorer and shortcuts show. Null
// where the executable carries none (Linux, a test program).
QIcon ExecutableIcon();

#pragma once
// The shell on Windows: ShellExecuteW with the verb "open".

#include "shell.h"

#include <QString>
#include <QStringList>

#include <windows.h>

// ShellExecute's result: above 32 is done; 2 (file not found) is FileNotFound; any other
// up to 32 (no associated program, path not found, out of memory) is Failed.
ShellResult ShellResultOf(INT_PTR result);
int ShowCommand(ShellShow show);
// The arguments as one command line that the started program splits back into the same
// list (the rules of CommandLineToArgvW).
QString CommandLineArguments(const QStringList& arguments);

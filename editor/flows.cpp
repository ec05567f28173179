// The create and modify flows of the main window.
#include "frmfirst.h"

void TFrmFirst::CmdAddClick() {}

void TFrmFirst::CmdModifyClick() {}

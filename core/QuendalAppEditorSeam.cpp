// The mail editor is not part of the program yet: requests to open one
// (command line, hand-over from a second start) are accepted and dropped.
#include "core/QuendalApp.h"

void CQuendalApp::OpenMailEditor(const char*)
{
}

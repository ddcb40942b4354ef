// The program's name and version as the user sees it.
#pragma once

#include "classlib/ClassLib.h"

// "Corvane Mail Version a.b.c.d" from the program's version block (just the
// name when it has none): the about box and the X-Mailer header show it.
CString ProgramVersionText();

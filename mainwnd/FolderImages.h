// The folder image list: 22 icons in groups of four images (closed, open,
// closed with mail, open with mail), drawn at run time.
#pragma once

#include "classlib/ClassLib.h"

// Fills the list (16 x 16) with the 88 folder images; false when it cannot be made.
BOOL CreateFolderImageList(CImageList& images);

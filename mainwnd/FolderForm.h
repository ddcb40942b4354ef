// The folder properties as the dialog shows them, and how they go to and
// from the folder record: icons as groups of four images, font sizes in
// points (twentieths of a point stored), a password of at most 16 characters.
#pragma once

#include "classlib/ClassLib.h"

class CFolderRecord;

struct FolderForm
{
    enum { maxPasswordLength = 16 };

    CString name, path, sound;
    int iconGroup = 0;
    BOOL hideTag = FALSE, noOptimise = FALSE, noDuplicates = FALSE, stripTag = FALSE, ignoreUnread = FALSE;
    BOOL applyBelow = FALSE, defaultOnReply = FALSE;
    CString filterSet;
    CString fontFace;
    int fontPoints = 0;  // 0 with no face
    int fontWeight = 0;
    int fontItalic = 0;
    int fontCharSet = 128;
    CString password;
    CString compose[13];  // record columns 11 to 23 (column 22, the filter set, is filterSet)

    void FromRecord(const CFolderRecord& record);
    void ToRecord(CFolderRecord& record) const;
    // Whether the list font of the folder differs between two records.
    static bool FontDiffers(const CFolderRecord& a, const CFolderRecord& b);
};

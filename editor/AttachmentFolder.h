// What an attachment folder lists: files lying directly in it and in its
// part folders are attachments; "NonAttach" and "Headers" folders are never
// listed; in HTML mode the first file of an "html" folder is the mail's HTML
// part and the rest of that folder is left out; the files of "inline"
// folders are the inline parts. Names are compared without regard to case.
#pragma once

#include "classlib/ClassLib.h"

struct AttachmentFolderListing
{
    CStringArray files;        // attachments, in the order the folder gave them
    CStringArray inlineFiles;  // files of "inline" folders
    CString htmlFile;          // the HTML part (HTML mode only), or empty
};

void ListAttachmentFolder(const char* pszFolder, bool bHtmlMode, AttachmentFolderListing& listing);

// The HTML part a stored mail keeps in its attachment folder: the first
// file of its "html" folder whose name begins with "QM"; empty when none.
CString FindHtmlPartFile(const char* pszFolder);

// Sorts paths by their bytes, the greatest first: the order of the rows.
void SortAttachmentPaths(CStringArray& paths);

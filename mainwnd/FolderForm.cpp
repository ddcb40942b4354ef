#include "mainwnd/FolderForm.h"

#include "classlib/Mbcs.h"

#include "mainwnd/FolderRules.h"
#include "store/FolderRecord.h"

namespace {

const int kFilterSetColumn = 22 - 11;

} // namespace

void FolderForm::FromRecord(const CFolderRecord& record)
{
    name = record.m_strName;
    path = record.m_strPath;
    sound = record.m_strSound;
    iconGroup = FolderRules::BaseImageToIcon(record.m_nIcon);
    hideTag = record.m_bHideTag;
    noOptimise = record.m_bNoOptimiseAll;
    noDuplicates = record.m_bNoDupDeleteAll;
    stripTag = record.m_bStripTagOnReply;
    ignoreUnread = record.m_bIgnoreUnread;
    applyBelow = record.m_bApplyBelow;
    defaultOnReply = record.m_bDefaultOnReply;
    for (int i = 0; i < 13; ++i)
        compose[i] = record.m_strText[i];
    filterSet = record.m_strText[kFilterSetColumn];
    fontFace = record.m_strFontName;
    if (fontFace.IsEmpty()) {
        fontPoints = 0;
        fontWeight = 0;
        fontItalic = 0;
        fontCharSet = 128;
    } else {
        fontPoints = FolderRules::StoredSizeToPoints(record.m_nFontSize);
        fontItalic = record.m_nFontNumber2;
        fontWeight = record.m_nFontNumber3;
        fontCharSet = record.m_nCharSet;
    }
    password = record.m_strPassword;
}

void FolderForm::ToRecord(CFolderRecord& record) const
{
    record.m_strName = name;
    record.m_strPath = path;
    record.m_strSound = sound;
    record.m_nIcon = FolderRules::IconToBaseImage(iconGroup);
    record.m_bHideTag = hideTag;
    record.m_bNoOptimiseAll = noOptimise;
    record.m_bNoDupDeleteAll = noDuplicates;
    record.m_bStripTagOnReply = stripTag;
    record.m_bIgnoreUnread = ignoreUnread;
    record.m_bApplyBelow = applyBelow;
    record.m_bDefaultOnReply = defaultOnReply;
    for (int i = 0; i < 13; ++i)
        record.m_strText[i] = compose[i];
    record.m_strText[kFilterSetColumn] = filterSet;
    record.m_strFontName = fontFace;
    if (fontFace.IsEmpty()) {
        record.m_nFontSize = 0;
        record.m_nFontNumber2 = 0;
        record.m_nFontNumber3 = 0;
        record.m_nCharSet = 128;
    } else {
        record.m_nFontSize = FolderRules::PointsToStoredSize(fontPoints);
        record.m_nFontNumber2 = fontItalic;
        record.m_nFontNumber3 = fontWeight;
        record.m_nCharSet = static_cast<BYTE>(fontCharSet);
    }
    // Cut on a whole character: a lead byte alone would corrupt the stored text.
    int keep = 0;
    for (int i = 0; i < password.GetLength();) {
        int len = static_cast<int>(Mbcs::CharLength(static_cast<const char*>(password) + i, static_cast<size_t>(password.GetLength() - i)));
        if (i + len > maxPasswordLength)
            break;
        i += len;
        keep = i;
    }
    record.m_strPassword = password.Left(keep);
}

bool FolderForm::FontDiffers(const CFolderRecord& a, const CFolderRecord& b)
{
    return a.m_strFontName != b.m_strFontName || a.m_nFontSize != b.m_nFontSize ||
           a.m_nFontNumber2 != b.m_nFontNumber2 || a.m_nFontNumber3 != b.m_nFontNumber3 || a.m_nCharSet != b.m_nCharSet;
}

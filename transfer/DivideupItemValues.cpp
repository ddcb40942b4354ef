#include "transfer/DivideupItemValues.h"

DivideupItemValues DivideupItemValues::FromRule(const CDivideupData& rule)
{
    DivideupItemValues v;
    v.strHeader1Name = rule.GetHeader1Name();
    v.strString1 = rule.m_strString1;
    v.strHeader2Name = rule.GetHeader2Name();
    v.strString2 = rule.m_strString2;
    v.bNegate1 = rule.m_bNegate1;
    v.bNegate2 = rule.m_bNegate2;
    v.bOrMode = rule.m_bOrMode;
    v.nFolderId = rule.m_nFolderId;
    v.bLeaveOnServer = rule.m_bLeaveOnServer;
    v.bDeleteOnServer = rule.m_bDeleteOnServer;
    v.bNotReceive = rule.m_bNotReceive;
    v.bUseColorLabel = rule.m_bUseColorLabel;
    v.nColorRow = RowOfLabel(rule.m_nColorLabel);
    v.crRowColor = rule.m_crCustomColor;
    v.bNoFolderMove = rule.m_bNoFolderMove;
    v.bMarkRead = rule.m_bMarkRead;
    return v;
}

int DivideupItemValues::RowOfLabel(int nLabel)
{
    if (nLabel == kCustomColorLabel)
        return kCustomColorRow;
    return nLabel < 0 ? 0 : nLabel;
}

void DivideupItemValues::StoreInto(CDivideupData& rule) const
{
    rule.SetHeader1Name(strHeader1Name);
    rule.m_strString1 = strString1;
    rule.SetHeader2Name(strHeader2Name);
    rule.m_strString2 = strString2;
    rule.m_bNegate1 = bNegate1;
    rule.m_bNegate2 = bNegate2;
    rule.m_bOrMode = bOrMode;
    rule.m_nFolderId = nFolderId;
    rule.m_bNoFolderMove = bNoFolderMove;
    // Server actions belong to rules that file mail; a label-only rule
    // keeps none, whatever the disabled boxes still show.
    rule.m_bLeaveOnServer = bNoFolderMove ? FALSE : bLeaveOnServer;
    rule.m_bDeleteOnServer = bNoFolderMove ? FALSE : bDeleteOnServer;
    rule.m_bNotReceive = bNoFolderMove ? FALSE : bNotReceive;
    rule.m_bUseColorLabel = bUseColorLabel;
    rule.m_nColorLabel = nColorRow == kCustomColorRow ? kCustomColorLabel : nColorRow;
    rule.m_crCustomColor = nColorRow == kCustomColorRow ? crRowColor : 0;
    rule.m_bMarkRead = bMarkRead;
}

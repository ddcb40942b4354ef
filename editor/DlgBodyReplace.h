// CDlgBodyReplace: the replace dialog over an editor's body. The body's own
// search finds the hits (so that positions stay right across line ends and
// double-byte text), and each replacement is one step of its undo journal.
#pragma once

#include "viewer/DlgReplace.h"

class CMailEditCtrl;

class CDlgBodyReplace : public CDlgReplace
{
public:
    CDlgBodyReplace(CMailEditCtrl& body, CWnd* pParent = nullptr);

    bool FindNext() override;
    int ReplaceAll() override;

protected:
    bool IsHitSelected() override;
    void ReplaceSelection() override;

private:
    CMailEditCtrl& m_body;
};

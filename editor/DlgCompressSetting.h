// CDlgCompressSetting: how the editor's compress command packs the
// attachments ("添付ファイルの圧縮"). A format whose library is missing
// cannot be chosen.
#pragma once

#include "classlib/Dialog.h"
#include "editor/Archiver.h"
#include "editor/AttachmentCompressor.h"

class CDlgCompressSetting : public CDialog
{
public:
    CDlgCompressSetting(const CArchiver& archiver, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Read when the dialog opens, written on OK.
    CompressSettings m_settings;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void EnableName();

    CArchiver m_archiver;
};

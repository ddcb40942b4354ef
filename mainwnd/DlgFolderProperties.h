// CDlgFolderProperties: the settings of one mail folder on two pages,
// "設定" and "メールの作成", and whether they apply to the folders below.
// OK applies them to the folder store and writes its "FolderData.Dat".
#pragma once

#include "classlib/ClassLib.h"
#include "mainwnd/FolderForm.h"
#include "mainwnd/FolderPropertyPage.h"

#include <memory>

class CSoundPlayer;

class CMailFolderStore;

class CDlgFolderProperties : public CDialog
{
public:
    CDlgFolderProperties(CMailFolderStore* pStore, CWnd* pParent = nullptr);
    ~CDlgFolderProperties() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void OnTabChange(NMHDR* pHdr, LRESULT* pResult);
    void OnFontClear();
    void OnFontChoose();
    void OnPathBrowse();
    void OnSoundBrowse();
    void OnSoundPlay();

    DECLARE_MESSAGE_MAP()

private:
    void ShowPage(int nPage);
    void FillGeneralPage();
    void FillComposePage();
    void ReadPages(FolderForm& form);

    CMailFolderStore* m_pStore;
    FolderForm m_form;
    CFolderPropertyPage m_general;
    CFolderPropertyPage m_compose;
    CImageList m_icons;
    std::unique_ptr<CSoundPlayer> m_pPlayer;
    volatile BYTE m_stopSound = 0;
};

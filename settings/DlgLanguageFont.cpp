#include "settings/DlgLanguageFont.h"

#include "core/DlgInputName.h"
#include "core/DlgSelectFont.h"
#include "core/FontUtil.h"
#include "resources/settings/SettingsResource.h"
#include "settings/CharSetNames.h"

#include <cstring>

CDlgLanguageFont::CDlgLanguageFont(const CString& charSetFile, CWnd* pParent) : CDialog(IDD_LANGUAGE_FONT, pParent)
{
    m_table.SetFilePath(charSetFile);
}

CString CDlgLanguageFont::SelectedName() const
{
    HWND combo = GetDlgItemHwnd(IDC_LF_LANGUAGE);
    int sel = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (sel < 0)
        return CString();
    char name[256] = "";
    if (::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0) < static_cast<LRESULT>(sizeof(name)))
        ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(name));
    return CString(name);
}

void CDlgLanguageFont::FillCombo(const char* pszSelect)
{
    HWND combo = GetDlgItemHwnd(IDC_LF_LANGUAGE);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    m_nRequestIndex = -1;
    int select = -1;
    for (int i = 0; i < m_table.GetRecordCount(TRUE); ++i) {
        CCharSetData* r = m_table.GetCharSet(i);
        if (!r || r->m_bDeleted)
            continue;
        int item = static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(r->m_strCharset.GetString())));
        if (!m_strRequestName.IsEmpty() && r->m_strCharset == m_strRequestName)
            m_nRequestIndex = item;
        if (pszSelect && r->m_strCharset == pszSelect)
            select = item;
    }
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(select >= 0 ? select : 0), 0);
}

BOOL CDlgLanguageFont::OnInitDialog()
{
    m_table.ReadFromFile(TRUE);
    m_strRequestName = NormalizeCharSetName(m_strRequestName);
    FillCombo(m_strRequestName);
    if (!m_strRequestName.IsEmpty() && !CharSetNameExists(m_table, m_strRequestName))
        PostMessage(WM_COMMAND, MAKEWPARAM(IDC_LF_ADD, BN_CLICKED), 0);
    ShowSelected();
    return TRUE;
}

void CDlgLanguageFont::ShowSelected()
{
    CCharSetData* r = FindCharSetByName(m_table, SelectedName());
    if (!r) {
        m_nCharSet = 0;
        m_strFace.Empty();
        m_nSize = 0;
    } else {
        m_nCharSet = r->m_nCharSet;
        m_strFace = r->m_strFace;
        m_nSize = r->m_nHeight;
    }
    SetDlgItemText(IDC_LF_FACE, m_strFace);
    CString points;
    if (r)
        points.Format("%d", PointsOfSize(m_nSize));
    SetDlgItemText(IDC_LF_POINT, points);
    SetDlgItemText(IDC_LF_SCRIPT, r ? GetCharSetScriptName(static_cast<BYTE>(m_nCharSet)) : CString());
}

void CDlgLanguageFont::OnChange()
{
    CCharSetData* r = FindCharSetByName(m_table, SelectedName());
    if (!r)
        return;
    LOGFONTA lf = {};
    HDC dc = ::GetDC(nullptr);
    lf.lfHeight = MulDiv(m_nSize, ::GetDeviceCaps(dc, LOGPIXELSY), 1440);
    ::ReleaseDC(nullptr, dc);
    lf.lfCharSet = static_cast<BYTE>(m_nCharSet);
    lstrcpynA(lf.lfFaceName, m_strFace, LF_FACESIZE);
    CDlgSelectFont dlg(&lf, CF_SCREENFONTS, this);
    if (dlg.DoModal() != IDOK)
        return;
    // Weight and slant are the mail view's own; only face, size and
    // character set belong to the language.
    r->m_nHeight = SizeOfChosenPoints(dlg.GetSize());
    r->m_nCharSet = dlg.GetLogFont().lfCharSet;
    r->m_strFace = dlg.GetLogFont().lfFaceName;
    ShowSelected();
}

void CDlgLanguageFont::OnAdd()
{
    CDlgInputName dlg("文字コードセット名", FALSE, this);
    dlg.m_strName = m_strRequestName;
    if (dlg.DoModal() != IDOK) {
        if (!m_strRequestName.IsEmpty() && !CharSetNameExists(m_table, m_strRequestName))
            EndDialog(IDCANCEL);
        return;
    }
    CString name = NormalizeCharSetName(dlg.m_strName);
    if (name.IsEmpty())
        return;
    if (!CharSetNameExists(m_table, name)) {
        auto* r = static_cast<CCharSetData*>(m_table.CreateNewRecord());
        r->m_strCharset = name;
        r->m_nCharSet = SHIFTJIS_CHARSET;
    }
    FillCombo(name);
    ShowSelected();
}

void CDlgLanguageFont::OnDelete()
{
    CCharSetData* r = FindCharSetByName(m_table, SelectedName());
    if (!r || AfxMessageBox("この設定を削除しますか？", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    m_table.MarkRecordDeleted(r);
    FillCombo(nullptr);
    ShowSelected();
}

void CDlgLanguageFont::OnOK()
{
    if (!m_table.WriteToFile(FALSE))
        return;
    if (m_pfnReloadFonts)
        m_pfnReloadFonts();
    EndDialog(IDOK);
}

BOOL CDlgLanguageFont::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDC_LF_LANGUAGE:
        if (HIWORD(wParam) == CBN_SELCHANGE)
            ShowSelected();
        return TRUE;
    case IDC_LF_CHANGE: OnChange(); return TRUE;
    case IDC_LF_ADD: OnAdd(); return TRUE;
    case IDC_LF_DELETE: OnDelete(); return TRUE;
    default: break;
    }
    return CDialog::OnCommand(wParam, lParam);
}

#include "viewer/DlgReplace.h"

#include "resources/shownmail/ShownMailResource.h"
#include "viewer/EditSearch.h"

#include <string>

namespace {

std::string EditText(HWND edit)
{
    int len = GetWindowTextLengthA(edit);
    std::string text(static_cast<size_t>(len) + 1, '\0');
    GetWindowTextA(edit, &text[0], len + 1);
    text.resize(static_cast<size_t>(len));
    return text;
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgReplace, CDialog)
    ON_BN_CLICKED(IDC_REPLACE_FIND_NEXT, OnFindNext)
    ON_BN_CLICKED(IDC_REPLACE_ALL, OnReplaceAll)
END_MESSAGE_MAP()

CDlgReplace::CDlgReplace(HWND hEdit, CWnd* pParent) : CDialog(IDD_TEXT_REPLACE, pParent), m_hEdit(hEdit) {}

BOOL CDlgReplace::OnInitDialog()
{
    SetDlgItemText(IDC_REPLACE_FIND, m_strFind);
    SetDlgItemText(IDC_REPLACE_WITH, m_strReplace);
    CheckDlgButton(IDC_FIND_MATCH_CASE, m_bMatchCase ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CDlgReplace::ReadFields()
{
    m_strFind = GetDlgItemText(IDC_REPLACE_FIND);
    m_strReplace = GetDlgItemText(IDC_REPLACE_WITH);
    m_bMatchCase = IsDlgButtonChecked(IDC_FIND_MATCH_CASE) == BST_CHECKED;
}

bool CDlgReplace::FindNext()
{
    if (!m_hEdit || m_strFind.IsEmpty())
        return false;
    std::string text = EditText(m_hEdit);
    DWORD from = 0, to = 0;
    ::SendMessageA(m_hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    size_t start = m_bFromStart ? 0 : to;
    size_t hit = CEditSearch::Find(text, m_strFind.Str(), start, m_bMatchCase != FALSE);
    if (hit == std::string::npos) {
        m_bFromStart = TRUE;
        return false;
    }
    m_bFromStart = FALSE;
    ::SendMessageA(m_hEdit, EM_SETSEL, hit, hit + m_strFind.GetLength());
    ::SendMessageA(m_hEdit, EM_SCROLLCARET, 0, 0);
    return true;
}

void CDlgReplace::OnFindNext()
{
    ReadFields();
    if (!FindNext())
        MessageBeep(MB_OK);
}

bool CDlgReplace::IsHitSelected()
{
    DWORD from = 0, to = 0;
    ::SendMessageA(m_hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    std::string text = EditText(m_hEdit);
    return !m_bFromStart && to > from && to <= text.size() &&
           CEditSearch::Find(text.substr(from, to - from), m_strFind.Str(), 0, m_bMatchCase != FALSE) == 0 &&
           to - from == static_cast<DWORD>(m_strFind.GetLength());
}

void CDlgReplace::ReplaceSelection()
{
    ::SendMessageA(m_hEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(m_strReplace.GetString()));
}

void CDlgReplace::OnOK()
{
    ReadFields();
    // A match selected by "次を検索" is replaced; otherwise the next one is found first.
    if (!IsHitSelected() && !FindNext()) {
        MessageBeep(MB_OK);
        return;
    }
    ReplaceSelection();
    if (!FindNext())
        m_bFromStart = TRUE;
}

int CDlgReplace::ReplaceAll()
{
    if (!m_hEdit || m_strFind.IsEmpty())
        return 0;
    int count = 0;
    std::string out = CEditSearch::ReplaceAll(EditText(m_hEdit), m_strFind.Str(), m_strReplace.Str(),
                                              m_bMatchCase != FALSE, &count);
    if (count > 0) {
        ::SendMessageA(m_hEdit, EM_SETSEL, 0, -1);
        ::SendMessageA(m_hEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(out.c_str()));
    }
    m_bFromStart = TRUE;
    return count;
}

void CDlgReplace::OnReplaceAll()
{
    ReadFields();
    ReplaceAll();
}

#include "viewer/DlgMailReReading.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "message/MailMessage.h"
#include "message/MimePart.h"
#include "resources/shownmail/ShownMailResource.h"
#include "store/MailFolderStore.h"
#include "viewer/ColorTextPreview.h"
#include "viewer/ReReadText.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

struct Choice
{
    const char* text;
    int nCode;
};

const Choice kEncodings[] = {{"プレインテキスト", 0}, {"Base64", 4}, {"Quoted Printable", 3}};
const Choice kCharsets[] = {
    {"日本語(JIS)", 0},           {"日本語(Shift-JIS)", 1},          {"日本語(EUC)", 5},
    {"英語", 2},                   {"UNICODE(UTF-7)", 3},             {"UNICODE(UTF-8)", 4},
    {"西ヨーロッパ言語 (ISO)", 10}, {"中央ヨーロッパ言語 (ISO)", 11},   {"ラテン語 9 (ISO)", 12},
    {"韓国語 (ISO)", 13},          {"韓国語 (EUC)", 14},              {"繁体字中国語 (Big5)", 15},
    {"簡体字中国語 (GB2312)", 16}, {"キリル語 (Windows)", 17},        {"西ヨーロッパ言語 (Windows)", 18},
    {"アラビア語 (Windows)", 19},
};

// The mail file is read whole; a backup larger than this is not shown.
const size_t kMaxFileBytes = 64 * 1024 * 1024;

void Fill(HWND combo, const Choice* choices, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        int at = static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choices[i].text)));
        ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), choices[i].nCode);
    }
}

int SelectedCode(HWND combo)
{
    int at = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    return at < 0 ? 0 : static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

void SelectCode(HWND combo, int code)
{
    int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == code) {
            ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    }
}

void CollectNames(const CMimePart& part, CStringArray& names)
{
    CString name = part.m_header.m_strFileName.IsEmpty() ? part.m_header.m_strName : part.m_header.m_strFileName;
    if (!name.IsEmpty())
        names.Add(name);
    for (int i = 0; i < part.GetChildCount(); ++i)
        CollectNames(*part.GetChild(i), names);
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgMailReReading, CDialog)
    ON_CONTROL(CBN_SELCHANGE, IDC_RR_ENCODING, OnChoiceChanged)
    ON_CONTROL(CBN_SELCHANGE, IDC_RR_CHARSET, OnChoiceChanged)
END_MESSAGE_MAP()

CDlgMailReReading::CDlgMailReReading(const char* pszPath, CWnd* pParent)
    : CDialog(IDD_MAIL_REREADING, pParent), m_strPath(pszPath ? pszPath : "")
{
}

BOOL CDlgMailReReading::OnInitDialog()
{
    SetDlgItemText(IDC_RR_PATH, m_strPath);
    Fill(GetDlgItemHwnd(IDC_RR_ENCODING), kEncodings, sizeof(kEncodings) / sizeof(kEncodings[0]));
    Fill(GetDlgItemHwnd(IDC_RR_CHARSET), kCharsets, sizeof(kCharsets) / sizeof(kCharsets[0]));
    SelectCode(GetDlgItemHwnd(IDC_RR_ENCODING), 0);
    SelectCode(GetDlgItemHwnd(IDC_RR_CHARSET), 0);

    RECT rc = {};
    if (HWND place = GetDlgItemHwnd(IDC_RR_PREVIEW_PLACE)) {
        ::GetWindowRect(place, &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    }
    m_pPreview = new CColorTextPreview;
    if (!m_pPreview->Create(this, IDC_RR_PREVIEW, rc)) {
        delete m_pPreview;
        m_pPreview = nullptr;
    }

    if (!m_strPath.IsEmpty() && FileExists(m_strPath) && !DirectoryExists(m_strPath) &&
        GetFileAttributesA(m_strPath) != INVALID_FILE_ATTRIBUTES) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (GetFileAttributesExA(m_strPath, GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0 &&
            data.nFileSizeLow <= kMaxFileBytes)
            ReadWholeFile(m_strPath, m_raw);
    }
    if (!m_raw.empty()) {
        size_t split = m_raw.find("\r\n\r\n");
        m_body = split == std::string::npos ? std::string() : m_raw.substr(split + 4);
        CMailMessage message;
        message.ParseHeaderText(m_raw.c_str());
        int charset = CReReadText::CharsetCode(message.m_strCharset.Str());
        if (charset >= 0) {
            m_bParsed = true;
            int encoding = message.m_nTransferEncoding == 4 || message.m_nTransferEncoding == 3
                               ? message.m_nTransferEncoding
                               : 0;
            SelectCode(GetDlgItemHwnd(IDC_RR_ENCODING), encoding);
            SelectCode(GetDlgItemHwnd(IDC_RR_CHARSET), charset);
        }
        // The names only, with the icons the shell gives their kinds: no
        // file is made for them.
        CMimePart root;
        root.Parse(m_raw.data(), m_raw.size());
        CStringArray names;
        CollectNames(root, names);
        HWND list = GetDlgItemHwnd(IDC_RR_ATTACH_LIST);
        HIMAGELIST icons = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
        ListView_SetImageList(list, icons, LVSIL_SMALL);
        for (int i = 0; i < names.GetSize(); ++i) {
            // The icon of the name's kind, asked of the shell by the name alone.
            SHFILEINFOA info = {};
            int image = -1;
            if (SHGetFileInfoA(names[i], FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                               SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES) && info.hIcon) {
                image = ImageList_AddIcon(icons, info.hIcon);
                DestroyIcon(info.hIcon);
            }
            LVITEMA item = {};
            item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0);
            item.iImage = image;
            item.iItem = i;
            item.pszText = const_cast<char*>(names[i].GetString());
            ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    ShowText();
    return TRUE;
}

int CDlgMailReReading::GetEncoding() const
{
    return SelectedCode(GetDlgItemHwnd(IDC_RR_ENCODING));
}

int CDlgMailReReading::GetCharset() const
{
    return SelectedCode(GetDlgItemHwnd(IDC_RR_CHARSET));
}

void CDlgMailReReading::SetChoice(int nEncoding, int nCharset)
{
    SelectCode(GetDlgItemHwnd(IDC_RR_ENCODING), nEncoding);
    SelectCode(GetDlgItemHwnd(IDC_RR_CHARSET), nCharset);
    m_bParsed = true;
    ShowText();
}

void CDlgMailReReading::OnChoiceChanged()
{
    m_bParsed = true;
    ShowText();
}

std::string CDlgMailReReading::GetShownText() const
{
    return m_pPreview ? m_pPreview->GetText() : std::string();
}

void CDlgMailReReading::ShowText()
{
    if (!m_pPreview)
        return;
    // A file that is no mail with a known charset shows as it is.
    std::string text = m_bParsed ? CReReadText::Decode(m_body, GetEncoding(), GetCharset()) : m_raw;
    m_pPreview->SetTextAndRedraw(text.c_str());
}

void CDlgMailReReading::OnOK()
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* folder = app ? app->GetCurrentFolder() : nullptr;
    if (m_strPath.IsEmpty() || !folder || m_raw.empty()) {
        EndDialog(IDOK);
        return;
    }
    // The file is filed from a copy of its own, so that the backup stays as it was.
    char tempDir[MAX_PATH] = {};
    GetTempPathA(sizeof(tempDir), tempDir);
    SYSTEMTIME now;
    GetLocalTime(&now);
    CString copy = CombinePath(tempDir, FormatString("QM%04d%02d%02d%02d%02d%02d%02d.eml", now.wYear, now.wMonth,
                                                     now.wDay, now.wHour, now.wMinute, now.wSecond,
                                                     static_cast<int>(GetTickCount() % 100)));
    if (CopyFileA(m_strPath, copy, FALSE)) {
        CString received = FormatString("%04d/%02d/%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour,
                                         now.wMinute, now.wSecond);
        // The reader takes the charset code and the transfer encoding chosen.
        folder->AddNewMailData(copy, received, FALSE, FALSE, nullptr, nullptr, nullptr, TRUE, GetCharset(),
                               GetEncoding());
        DeleteFileA(copy);
        if (CWinApp* a = AfxGetApp())
            PostThreadMessageA(a->m_nThreadID, 1346, 0, static_cast<LPARAM>(folder->GetFolderId()));
    }
    EndDialog(IDOK);
}

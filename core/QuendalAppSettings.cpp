// Program-wide settings with the side files beside the program, the
// registration with Windows as a mail client, and the toolbar layout value.
#include "core/QuendalApp.h"

#include "core/AccountDataSet.h"
#include "core/AppMessages.h"
#include "core/MailHistory.h"
#include "mainwnd/MainFrame.h"
#include "settings/ProfileDataSet.h"
#include "settings/ProfileSwitch.h"
#include "viewer/CharSetDataSet.h"
#include "viewer/MailFontSets.h"
#include "resources/resource.h"

#include <memory>

namespace {

const char kClientName[] = "CorvaneMail";

// Splits a whole file at CR LF; empty lines are skipped. False when it cannot be read.
bool ReadLines(const CString& path, CStringArray& lines)
{
    lines.RemoveAll();
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone))
        return false;
    ULONGLONG size = file.GetLength();
    if (size > 16 * 1024 * 1024)
        return false;
    std::string bytes(static_cast<size_t>(size), '\0');
    UINT got = file.Read(&bytes[0], static_cast<UINT>(size));
    bytes.resize(got);
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find("\r\n", pos);
        if (end == std::string::npos)
            end = bytes.size();
        if (end > pos)
            lines.Add(CString(bytes.substr(pos, end - pos)));
        pos = end + 2;
    }
    return true;
}

// A registry key created (or opened) with full access; a failed one stays
// empty and ignores what is written to it.
CRegKey CreateKey(HKEY root, const CString& path)
{
    CRegKey key;
    key.Create(root, path);
    return key;
}

} // namespace

void CQuendalApp::SetProfileName(const char* pszName)
{
    SwitchProfile(*this, pszName);
}

void CQuendalApp::AddIdToProfile(int nFolderId)
{
    if (!GetProfileName().IsEmpty())
        AddFolderToProfile(GetProfileBoxPath() + "\\" + GetProfileName(), nFolderId);
}

void CQuendalApp::AddIdToAllProfiles(const std::vector<int>* pRefIds, int nFolderId)
{
    AddFolderToProfiles(GetProfileBoxPath(), pRefIds, nFolderId);
}

int CQuendalApp::LoadSettings()
{
    m_nAddressDispType = GetProfileInt("Setting", "AddressDispType", 0);
    m_bAddressDispOrgNoChange = GetProfileInt("Setting", "AddressDispOrgNoChange", 1);
    m_bShowInlineText = GetProfileInt("ViewOption", "ShowInlineText", 0);
    m_bHTMLMail = GetProfileInt("ViewOption", "HTMLMail", 0);
    m_nMailHistoryCount = GetProfileInt("Setting", "MailHistoryCount", 30);
    ShownMailHistory().SetLimit(m_nMailHistoryCount);
    m_nDeleteMailHistoryCount = GetProfileInt("Setting", "DeleteMailHistoryCount", 30);
    m_nMailMemFolder = GetProfileInt("Etc", "MailMemFolder", 0);
    m_nMailMemIndex = GetProfileInt("Etc", "MailMemIndex", -1);
    m_nBeepMailReceive = GetProfileInt("Etc", "BeepMailReceive", 100);
    WriteProfileInt("Etc", "BeepMailReceive", m_nBeepMailReceive);
    m_nBeepMailNoneNotRead = GetProfileInt("Etc", "BeepMailNoneNotRead", 200);
    WriteProfileInt("Etc", "BeepMailNoneNotRead", m_nBeepMailNoneNotRead);
    m_strTempFolderPath = GetProfileString("Paths", "TempFolderPath", "");
    m_bProfileChangeMainFrame = GetProfileInt("Etc", "ProfileChangeMainFrame", 0);
    m_strDefaultProfileName = GetProfileString("Etc", "DefaultProfileName", "");
    if (!m_strDefaultProfileName.IsEmpty()) {
        CString profile = GetProfileBoxPath() + "\\" + m_strDefaultProfileName;
        if (GetFileAttributesA(profile) == INVALID_FILE_ATTRIBUTES)
            m_strDefaultProfileName.Empty();
    }
    m_nReadNotifyTo = GetProfileInt("Setting", "ReadNotifyTo", 0);
    m_nDisplayUnReadMail = GetProfileInt("Setting", "DisplayUnReadMail", 0);
    m_bNoCreateMailViewFrame = GetProfileInt("Setting", "NoCreateMailViewFrame", 0);
    m_nIEZone = GetProfileInt("ViewOption", "IEZone", 3);
    if (m_nIEZone >= 0 && m_nIEZone < 3)
        m_nIEZone = 3;
    m_nReceiveLogCount = GetProfileInt("Setting", "CVMReceiveLogCount", 100);
    m_bUnloadMailIndex = GetProfileInt("Setting", "UnloadMailIndex", 0);
    m_nUnloadMailIndexTime = GetProfileInt("Setting", "UnloadMailIndexTime", 3);
    m_bCreateMailBodyFromHtml = GetProfileInt("Setting", "CreateMailBodyFromHTML", 1);
    m_strOpenAppName1 = GetProfileString("Setting", "OpenAppName1", "");
    if (m_strOpenAppName1.IsEmpty()) {
        m_strOpenAppName1 = "開く";
        WriteProfileString("Setting", "OpenAppName1", m_strOpenAppName1);
    }
    m_strOpenAppPath1 = GetProfileString("Setting", "OpenAppPath1", "");
    if (m_strOpenAppPath1.IsEmpty()) {
        m_strOpenAppPath1 = "%SystemRoot%\\explorer.exe";
        WriteProfileString("Setting", "OpenAppPath1", m_strOpenAppPath1);
    }

    CString folder = GetProgramFolder();
    ReadLines(folder + "\\TaskListComment.txt", m_taskListComments);
    ReadLines(folder + "\\Priority.txt", m_priorityNames);
    if (m_priorityNames.GetSize() < 5)
        m_priorityNames.RemoveAll();
    static const char* const kColours[16] = { "濃青", "濃緑", "濃シアン", "濃赤", "濃マゼンダ", "茶",
                                              "淡灰", "濃灰", "淡青", "淡緑", "淡シアン", "淡赤",
                                              "淡マゼンダ", "黄", "白", "黒" };
    m_colorNames.RemoveAll();
    for (const char* name : kColours)
        m_colorNames.Add(name);
    CStringArray lines;
    ReadLines(folder + "\\ColorName.txt", lines);
    for (int i = 0; i < lines.GetSize() && i < 16; ++i)
        m_colorNames[i] = lines[i];

    if (m_pAddressThread && m_hAddressThread && WaitForSingleObject(m_hAddressThread, 0) == WAIT_TIMEOUT)
        m_pAddressThread->PostThreadMessage(WM_QD_ADDRESS_CHANGED, 0, 0);
    return 1;
}

BOOL CQuendalApp::RegisterMailClient(const char* pszPath, const char* pszShortPath)
{
    CString base;
    base.Format("Software\\Clients\\Mail\\%s", kClientName);
    CString folder = pszPath;
    int cut = folder.ReverseFind('\\');
    folder = cut >= 0 ? folder.Left(cut) : CString(".");
    int version = GetOSVersionType();
    // Versions after Vista report -1 from the classification; they have the newer keys too.
    bool vistaOrLater = version > 3 || version == -1;
    {
        CRegKey client = CreateKey(HKEY_LOCAL_MACHINE, base);
        if (client) {
            client.SetStringValue(nullptr, kClientName);
            client.SetStringValue("DllPath", folder + "\\QdMapi.dll");
            {
                CRegKey info = CreateKey(HKEY_LOCAL_MACHINE, base + "\\InstallInfo");
                info.SetDWORDValue("IconsVisible", 1);
                info.SetStringValue("ReinstallCommand", FormatString("\"%s\" /reinstall", pszPath));
                info.SetStringValue("HideIconsCommand", FormatString("\"%s\" /hideicons", pszPath));
                info.SetStringValue("ShowIconsCommand", FormatString("\"%s\" /showicons", pszPath), REG_EXPAND_SZ);
            }
            CRegKey protocols = CreateKey(HKEY_LOCAL_MACHINE, base + "\\Protocols");
            {
                CRegKey mailto = CreateKey(HKEY_LOCAL_MACHINE, base + "\\Protocols\\mailto");
                mailto.SetStringValue(nullptr, "URL:MailTo Protocol");
                mailto.SetDWORDValue("EditFlags", 0x80000);
                mailto.SetStringValue("URL Protocol", "");
            }
            CreateKey(HKEY_LOCAL_MACHINE, base + "\\Protocols\\mailto\\DefaultIcon")
                .SetStringValue(nullptr, FormatString("\"%s\",0", pszPath));
            CRegKey mailtoShell = CreateKey(HKEY_LOCAL_MACHINE, base + "\\Protocols\\mailto\\shell");
            CRegKey mailtoOpen = CreateKey(HKEY_LOCAL_MACHINE, base + "\\Protocols\\mailto\\shell\\open");
            CreateKey(HKEY_LOCAL_MACHINE, base + "\\Protocols\\mailto\\shell\\open\\command")
                .SetStringValue(nullptr, FormatString("\"%s\" %%1", pszPath));
            CRegKey shell = CreateKey(HKEY_LOCAL_MACHINE, base + "\\shell");
            CRegKey open = CreateKey(HKEY_LOCAL_MACHINE, base + "\\shell\\open");
            CreateKey(HKEY_LOCAL_MACHINE, base + "\\shell\\open\\command")
                .SetStringValue(nullptr, FormatString("\"%s\"", pszShortPath));
            {
                CRegKey caps = CreateKey(HKEY_LOCAL_MACHINE, base + "\\Capabilities");
                caps.SetStringValue("ApplicationDescription", FormatString("@%s,-%d", pszPath, IDS_PRODUCT_NAME));
                caps.SetStringValue("ApplicationName", FormatString("@%s,-%d", pszPath, IDS_PRODUCT_NAME));
            }
            CreateKey(HKEY_LOCAL_MACHINE, base + "\\Capabilities\\Startmenu").SetStringValue("Mail", kClientName);
            CreateKey(HKEY_LOCAL_MACHINE, base + "\\Capabilities\\URLAssociations")
                .SetStringValue("mailto", FormatString("%s.Url.mailto", kClientName));
            if (vistaOrLater)
                CreateKey(HKEY_LOCAL_MACHINE, "Software\\RegisteredApplications")
                    .SetStringValue(kClientName, base + "\\Capabilities");
        }
    }
    if (vistaOrLater) {
        CString cls = FormatString("%s.Url.Mailto", kClientName);
        {
            CRegKey url = CreateKey(HKEY_CLASSES_ROOT, cls);
            url.SetStringValue(nullptr, "URL:Mail Protocol");
            url.SetStringValue("FriendlyTypeName", FormatString("@%s,-%d", pszPath, IDS_MAILTO_FRIENDLY_NAME));
        }
        CreateKey(HKEY_CLASSES_ROOT, cls + "\\DefaultIcon")
            .SetStringValue(nullptr, FormatString("\"%s\",0", pszPath));
        CRegKey shell = CreateKey(HKEY_CLASSES_ROOT, cls + "\\shell");
        CRegKey open = CreateKey(HKEY_CLASSES_ROOT, cls + "\\shell\\open");
        CreateKey(HKEY_CLASSES_ROOT, cls + "\\shell\\open\\command")
            .SetStringValue(nullptr, FormatString("\"%s\" %%1", pszPath));
    }
    return TRUE;
}

void CQuendalApp::LoadDefaultToolBarSettings()
{
    BYTE* data = nullptr;
    UINT size = 0;
    if (GetProfileBinary("Settings", "ToolBar Settings", &data, &size)) {
        delete[] data;
        return;
    }
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRes = FindResourceA(hInst, MAKEINTRESOURCEA(IDR_TOOLBAR_DEFAULT), "FILE");
    if (!hRes)
        return;
    HGLOBAL hGlobal = LoadResource(hInst, hRes);
    const BYTE* bytes = hGlobal ? static_cast<const BYTE*>(LockResource(hGlobal)) : nullptr;
    if (bytes)
        WriteProfileBinary("Settings", "ToolBar Settings", bytes, SizeofResource(hInst, hRes));
}

void CQuendalApp::ExportToolBarSettings()
{
    BYTE* data = nullptr;
    UINT size = 0;
    if (!GetProfileBinary("Settings", "ToolBar Settings", &data, &size))
        return;
    std::unique_ptr<BYTE[]> hold(data);
    if (IsProfileFileMode())
        CWinApp::WriteProfileBinary("Settings.tmp", "ToolBar Settings.tmp", data, size);
    else
        CWinApp::WriteProfileBinary("Settings", "ToolBar Settings", data, size);
}

void CQuendalApp::ImportToolBarSettings()
{
    BYTE* data = nullptr;
    UINT size = 0;
    BOOL ok = IsProfileFileMode() ? CWinApp::GetProfileBinary("Settings.tmp", "ToolBar Settings.tmp", &data, &size)
                                  : CWinApp::GetProfileBinary("Settings", "ToolBar Settings", &data, &size);
    if (!ok)
        return;
    std::unique_ptr<BYTE[]> hold(data);
    WriteProfileBinary("Settings", "ToolBar Settings", data, size);
}

BOOL CQuendalApp::LoadResourceTable()
{
    // The toolbar images table belongs to the main window's toolbars; only
    // its presence is known here.
    CString path = GetProgramFolder() + "\\Resource\\Resource.dat";
    DWORD attr = GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

void CQuendalApp::ApplyViewSettings(BOOL bLanguageFonts)
{
    CMailFontSets& fonts = CMailFontSets::Instance();
    fonts.RebuildDefaultFontSet();
    fonts.DropDerivedFonts();
    if (bLanguageFonts) {
        CCharSetDataSet table;
        table.SetFilePath(CMailFontSets::GetCharSetFilePath(GetMailBoxFolder(), GetProgramFolder()));
        if (table.ReadFromFile())
            fonts.LoadCharSetFonts(table);
    }
    if (m_pMainFrame)
        m_pMainFrame->ApplyViewSettings();
    PostToWindowThreads(WM_QD_APPLY_VIEW_SETTINGS, bLanguageFonts, 0, TRUE);
}

void CQuendalApp::ApplyKeywordList()
{
    if (m_pMainFrame)
        m_pMainFrame->ReloadKeywords();
    // Editors colour no keywords.
    PostToWindowThreads(WM_QD_KEYWORDS_CHANGED, 0, 0, FALSE);
}

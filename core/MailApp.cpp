#include "core/MailApp.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char kAppKey[] = "Software\\Hollowpine\\CorvaneMail";

int LeadingNumber(const CString& text)
{
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

bool StartsWith(const std::string& buf, size_t pos, const char* prefix)
{
    size_t n = std::strlen(prefix);
    return pos + n <= buf.size() && std::memcmp(buf.data() + pos, prefix, n) == 0;
}


} // namespace

CMailApp::CMailApp(const char* pszAppName) : CWinApp(pszAppName)
{
    m_strRegistryKey = "Hollowpine";
    m_strProfileName = "CorvaneMail";
}

CMailApp::~CMailApp()
{
    if (m_bFileMode && !m_strProfileFilePath.IsEmpty() && !SaveProfileFile(m_strProfileFilePath, &m_profileEntries)) {
        // Losing every setting silently would be worse than a late message.
        DWORD err = GetLastError();
        CString text;
        text.Format("[%s]で書き込みエラーが発生しました。\r\n[%lu][%s]", m_strProfileFilePath.GetString(),
                    static_cast<unsigned long>(err), AfxSystemErrorText(err).GetString());
        AfxMessageBox(text, MB_OK | MB_ICONERROR);
    }
    DeleteEntries(m_profileEntries);
}

void CMailApp::SetProfileFileMode(const char* pszPath)
{
    m_bFileMode = 1;
    m_strProfileFilePath = pszPath;
}

void CMailApp::DeleteEntries(CObArray& list)
{
    for (int i = 0; i < list.GetSize(); ++i)
        delete list[i];
    list.RemoveAll();
}

CProfileEntry* CMailApp::FindEntry(const char* pszSection, const char* pszEntry, bool bNonEmpty)
{
    for (int i = 0; i < m_profileEntries.GetSize(); ++i) {
        CProfileEntry* e = static_cast<CProfileEntry*>(m_profileEntries[i]);
        if (e->m_strSection == pszSection && e->m_strEntry == pszEntry && (!bNonEmpty || !e->m_strValue.IsEmpty()))
            return e;
    }
    return nullptr;
}

int CMailApp::GetProfileInt(const char* pszSection, const char* pszEntry, int nDefault)
{
    if (!m_bFileMode)
        return static_cast<int>(CWinApp::GetProfileInt(pszSection, pszEntry, nDefault));
    CSingleLock hold(&m_profileLock, TRUE);
    CProfileEntry* e = FindEntry(pszSection, pszEntry, true);
    return e ? LeadingNumber(e->m_strValue) : nDefault;
}

CString CMailApp::GetProfileString(const char* pszSection, const char* pszEntry, const char* pszDefault)
{
    if (!m_bFileMode)
        return CWinApp::GetProfileString(pszSection, pszEntry, pszDefault);
    CSingleLock hold(&m_profileLock, TRUE);
    CProfileEntry* e = FindEntry(pszSection, pszEntry, true);
    return e ? e->m_strValue : CString(pszDefault);
}

BOOL CMailApp::GetProfileBinary(const char* pszSection, const char* pszEntry, BYTE** ppData, UINT* pBytes)
{
    if (!m_bFileMode)
        return CWinApp::GetProfileBinary(pszSection, pszEntry, ppData, pBytes);
    *ppData = nullptr;
    *pBytes = 0;
    CString text = GetProfileString(pszSection, pszEntry);
    if (text.IsEmpty())
        return FALSE;
    CByteArray bytes;
    DecodeHexLetters(text, bytes);
    if (bytes.IsEmpty())
        return FALSE;
    *ppData = new BYTE[bytes.GetSize()];
    std::memcpy(*ppData, bytes.GetData(), static_cast<size_t>(bytes.GetSize()));
    *pBytes = static_cast<UINT>(bytes.GetSize());
    return TRUE;
}

BOOL CMailApp::WriteProfileInt(const char* pszSection, const char* pszEntry, int nValue)
{
    if (!m_bFileMode)
        return CWinApp::WriteProfileInt(pszSection, pszEntry, nValue);
    CSingleLock hold(&m_profileLock, TRUE);
    CString text;
    text.Format("%d", nValue);
    if (CProfileEntry* e = FindEntry(pszSection, pszEntry, false)) {
        e->m_strValue = text;  // the entry keeps its type
        return TRUE;
    }
    CProfileEntry* e = new CProfileEntry;
    e->m_strSection = pszSection;
    e->m_strEntry = pszEntry;
    e->m_strValue = text;
    e->m_nType = CProfileEntry::typeDword;
    m_profileEntries.Add(e);
    return TRUE;
}

BOOL CMailApp::WriteProfileString(const char* pszSection, const char* pszEntry, const char* pszValue, bool bBinary)
{
    if (!m_bFileMode)
        return CWinApp::WriteProfileString(pszSection, pszEntry, pszValue);
    CSingleLock hold(&m_profileLock, TRUE);
    if (CProfileEntry* e = FindEntry(pszSection, pszEntry, false)) {
        e->m_strValue = pszValue;
        return TRUE;
    }
    CProfileEntry* e = new CProfileEntry;
    e->m_strSection = pszSection;
    e->m_strEntry = pszEntry;
    e->m_strValue = pszValue;
    e->m_nType = bBinary ? CProfileEntry::typeHex : CProfileEntry::typeString;
    m_profileEntries.Add(e);
    return TRUE;
}

BOOL CMailApp::WriteProfileBinary(const char* pszSection, const char* pszEntry, const BYTE* pData, UINT nBytes)
{
    if (!m_bFileMode)
        return CWinApp::WriteProfileBinary(pszSection, pszEntry, pData, nBytes);
    return WriteProfileString(pszSection, pszEntry, EncodeHexLetters(pData, nBytes), true);
}

CString CMailApp::EncodeHexLetters(const BYTE* pData, UINT nBytes)
{
    CString text;
    char* p = text.GetBufferSetLength(static_cast<int>(nBytes * 2));
    for (UINT i = 0; i < nBytes; ++i) {
        p[i * 2] = static_cast<char>('A' + (pData[i] & 0x0F));
        p[i * 2 + 1] = static_cast<char>('A' + (pData[i] >> 4));
    }
    return text;
}

void CMailApp::DecodeHexLetters(const CString& text, CByteArray& out)
{
    int n = text.GetLength() / 2;  // an odd last letter is ignored
    out.SetSize(n);
    for (int i = 0; i < n; ++i) {
        int lo = static_cast<unsigned char>(text[i * 2]) - 'A';
        int hi = static_cast<unsigned char>(text[i * 2 + 1]) - 'A';
        out[i] = static_cast<BYTE>((lo + 16 * hi) & 0xFF);
    }
}

bool CMailApp::LoadProfileFile(const char* pszPath, CObArray* pList)
{
    std::string buf;
    if (!ReadWholeFile(pszPath, buf, CFile::shareDenyWrite))
        return false;
    CObArray& list = pList ? *pList : m_profileEntries;
    CSingleLock hold(&m_profileLock, TRUE);

    const size_t n = buf.size();
    auto isBreak = [&](size_t i) { return buf[i] == '\r' || buf[i] == '\n'; };
    CString section;
    size_t pos = 0;
    while (pos < n) {
        if (isBreak(pos)) {
            ++pos;
            continue;
        }
        if (buf[pos] == '[') {
            size_t close = pos + 1;
            while (close < n && buf[close] != ']')
                ++close;
            if (close >= n)
                break;  // a header without "]" ends the file
            section = CString(buf.data() + pos + 1, static_cast<int>(close - pos - 1));
            pos = close + 1;
            while (pos < n && isBreak(pos))
                ++pos;
            continue;
        }
        size_t eq = pos;
        while (eq < n && buf[eq] != '=')
            ++eq;
        if (eq >= n)
            break;  // trailing text without "=" ends the file
        CString name;
        for (size_t i = pos; i < eq; ++i)
            if (buf[i] != '\0')
                name += buf[i];
        pos = eq + 1;
        int type = CProfileEntry::typeString;
        if (StartsWith(buf, pos, "dword:")) {
            type = CProfileEntry::typeDword;
            pos += 6;
        } else if (StartsWith(buf, pos, "hex:")) {
            type = CProfileEntry::typeHex;
            pos += 4;
        } else {
            ++pos;  // the opening quote
        }
        while (pos < n && isBreak(pos))
            ++pos;
        std::string value;
        while (pos < n && !(buf[pos] == '\r' && pos + 1 < n && buf[pos + 1] == '\n')) {
            if (buf[pos] != '\0')
                value += buf[pos];
            ++pos;
        }
        // The closing quote; a value cut off by a truncated file keeps its text.
        if (type == CProfileEntry::typeString && !value.empty() && value.back() == '"')
            value.pop_back();
        while (pos < n && isBreak(pos))
            ++pos;
        CProfileEntry* e = new CProfileEntry;
        e->m_strSection = section;
        e->m_strEntry = name;
        e->m_strValue = CString(value);
        e->m_nType = type;
        list.Add(e);
    }
    return true;
}

void CMailApp::WriteProfileFileValue(CFile& file, const CString& value)
{
    // A line break inside a value would end the entry; it is stored as 00 0D 00 0A.
    static const char kEscaped[4] = {'\0', '\r', '\0', '\n'};
    const char* p = value;
    int len = value.GetLength();
    int start = 0;
    for (int i = 0; i + 1 < len; ++i) {
        if (p[i] == '\r' && p[i + 1] == '\n') {
            file.Write(p + start, static_cast<UINT>(i - start));
            file.Write(kEscaped, 4);
            start = i + 2;
            ++i;
        }
    }
    file.Write(p + start, static_cast<UINT>(len - start));
}

bool CMailApp::SaveProfileFile(const char* pszPath, CObArray* pList)
{
    if (!pList && !m_bFileMode)
        return false;
    CString path = pszPath ? CString(pszPath) : m_strProfileFilePath;
    if (path.IsEmpty())
        return false;
    CObArray& list = pList ? *pList : m_profileEntries;
    CSingleLock hold(&m_profileLock, TRUE);

    // Written beside the target and moved over it only when complete, so a
    // failed write never leaves a truncated settings file.
    CString temp = path + ".$$$";
    CFile file;
    if (!file.Open(temp, CFile::modeCreate | CFile::modeWrite))
        return false;
    try {
        for (int i = 0; i < list.GetSize(); ++i)
            static_cast<CProfileEntry*>(list[i])->m_bWritten = 0;
        for (;;) {
            CProfileEntry* first = nullptr;
            for (int i = 0; i < list.GetSize() && !first; ++i) {
                CProfileEntry* e = static_cast<CProfileEntry*>(list[i]);
                if (!e->m_bWritten && !e->m_strSection.IsEmpty())
                    first = e;
            }
            if (!first)
                break;
            CString section = first->m_strSection;
            CString header = "[" + section + "]\r\n";
            file.Write(header.GetString(), static_cast<UINT>(header.GetLength()));
            for (int i = 0; i < list.GetSize(); ++i) {
                CProfileEntry* e = static_cast<CProfileEntry*>(list[i]);
                if (e->m_bWritten || e->m_strSection != section)
                    continue;
                CString head = e->m_strEntry + "=";
                if (e->m_nType == CProfileEntry::typeDword)
                    head += "dword:";
                else if (e->m_nType == CProfileEntry::typeHex)
                    head += "hex:";
                else
                    head += "\"";
                file.Write(head.GetString(), static_cast<UINT>(head.GetLength()));
                if (!e->m_strValue.IsEmpty())
                    WriteProfileFileValue(file, e->m_strValue);
                if (e->m_nType == CProfileEntry::typeString)
                    file.Write("\"", 1);
                file.Write("\r\n", 2);
                e->m_bWritten = 1;
            }
            file.Write("\r\n", 2);
        }
        file.Flush();
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        DeleteFileA(temp);
        return false;
    }
    if (!MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp);
        return false;
    }
    return true;
}

bool CMailApp::ExportRegistryToProfileFile(const char* pszPath)
{
    if (m_bFileMode)
        return SaveProfileFile(pszPath, &m_profileEntries);

    CObArray list;
    CRegKey app;
    if (app.Open(HKEY_CURRENT_USER, kAppKey) != ERROR_SUCCESS)
        return false;
    char sectionName[261];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof(sectionName);
        if (RegEnumKeyExA(app, i, sectionName, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        CRegKey section;
        if (section.Open(app, sectionName) != ERROR_SUCCESS)
            continue;
        char valueName[261];
        for (DWORD j = 0;; ++j) {
            DWORD nameLen = sizeof(valueName);
            DWORD type = 0, size = 0;
            if (RegEnumValueA(section, j, valueName, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
                break;
            std::vector<BYTE> data(size + 2, 0);
            DWORD got = size;
            if (RegQueryValueExA(section, valueName, nullptr, &type, data.data(), &got) != ERROR_SUCCESS)
                continue;
            CProfileEntry* e = new CProfileEntry;
            e->m_strSection = sectionName;
            e->m_strEntry = valueName;
            if (type == REG_SZ) {
                e->m_strValue = reinterpret_cast<const char*>(data.data());
                e->m_nType = CProfileEntry::typeString;
            } else if (type == REG_DWORD && got == 4) {
                DWORD v;
                std::memcpy(&v, data.data(), 4);
                e->m_strValue.Format("%d", static_cast<int>(v));
                e->m_nType = CProfileEntry::typeDword;
            } else if (type == REG_BINARY) {
                e->m_strValue = EncodeHexLetters(data.data(), got);
                e->m_nType = CProfileEntry::typeHex;
            } else {
                delete e;
                continue;
            }
            list.Add(e);
        }
    }
    bool ok = SaveProfileFile(pszPath, &list);
    DeleteEntries(list);
    return ok;
}

bool CMailApp::ImportProfileFileToRegistry(const char* pszPath)
{
    CObArray list;
    if (!LoadProfileFile(pszPath, &list))
        return false;
    bool ok = true;
    for (int i = 0; i < list.GetSize(); ++i) {
        CProfileEntry* e = static_cast<CProfileEntry*>(list[i]);
        if (e->m_nType == CProfileEntry::typeDword) {
            ok = WriteProfileInt(e->m_strSection, e->m_strEntry, LeadingNumber(e->m_strValue)) && ok;
        } else if (e->m_nType == CProfileEntry::typeHex) {
            CByteArray bytes;
            DecodeHexLetters(e->m_strValue, bytes);
            ok = WriteProfileBinary(e->m_strSection, e->m_strEntry, bytes.GetData(), static_cast<UINT>(bytes.GetSize())) && ok;
        } else {
            ok = WriteProfileString(e->m_strSection, e->m_strEntry, e->m_strValue) && ok;
        }
    }
    DeleteEntries(list);
    return ok;
}

int CMailApp::GetOSVersionType()
{
    if (m_nOSVersionType != -1)
        return m_nOSVersionType;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info))
        return 0;
#pragma GCC diagnostic pop
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        m_nOSVersionType = 0;
    else if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (info.dwMajorVersion <= 4)
            m_nOSVersionType = 1;
        else if (info.dwMajorVersion == 5 && info.dwMinorVersion == 0)
            m_nOSVersionType = 2;
        else if (info.dwMajorVersion == 5 && info.dwMinorVersion == 1)
            m_nOSVersionType = 3;
        else if (info.dwMajorVersion == 6)
            m_nOSVersionType = 4;
    }
    return m_nOSVersionType;
}

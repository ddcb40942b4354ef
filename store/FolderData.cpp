#include "store/FolderData.h"

#include "core/FileUtil.h"
#include "core/PasswordScrambler.h"
#include "core/QuendalApp.h"

#include <map>
#include <set>
#include <vector>

namespace {

bool IsFullPath(const CString& path)
{
    return (path.GetLength() >= 2 && path[1] == ':') || (path.GetLength() >= 2 && path[0] == '\\' && path[1] == '\\');
}

// True when one of the path's names is ".." (a way out of the folder it is
// relative to). Double-byte characters are stepped over whole.
bool HasParentStep(const CString& path)
{
    const char* s = path.GetString();
    int start = 0;
    int len = path.GetLength();
    for (int i = 0; i <= len; i++) {
        if (i < len && Mbcs::IsLeadByte(s[i]) && i + 1 < len) {
            i++;
            continue;
        }
        if (i == len || s[i] == '\\' || s[i] == '/') {
            if (i - start == 2 && s[start] == '.' && s[start + 1] == '.')
                return true;
            start = i + 1;
        }
    }
    return false;
}

} // namespace

CFolderData::CFolderData(const char* pszBaseFolder) : m_strBaseFolder(pszBaseFolder)
{
    m_nColumnCount = CFolderRecord::columnCount;
}

CDataStrgRecord* CFolderData::CreateNewRecord()
{
    CFolderRecord* r = new CFolderRecord;
    AddRecord(r);
    return r;
}

BOOL CFolderData::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    if (!pszField || !pRecord)
        return FALSE;
    CFolderRecord* r = static_cast<CFolderRecord*>(pRecord);
    if (nColumn == 38)
        r->m_strPassword = *pszField ? CPasswordScrambler().Unscramble(pszField) : CString();
    else
        r->SetColumnText(nColumn, pszField);
    return TRUE;
}

void CFolderData::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    CFolderRecord* r = static_cast<CFolderRecord*>(pRecord);
    if (r->m_nKind == CFolderRecord::kindHidden)
        return;
    CString full = ResolveFolderPath(r);
    CString base = m_strBaseFolder;
    if (!base.IsEmpty() && base[base.GetLength() - 1] == '\\')
        base = base.Left(base.GetLength() - 1);
    if (!base.IsEmpty() && full.GetLength() > base.GetLength() + 1 &&
        full.Left(base.GetLength()).CompareNoCase(base) == 0 && full[base.GetLength()] == '\\')
        r->m_strPath = full.Mid(base.GetLength() + 1);

    CString line;
    for (int i = 0; i < CFolderRecord::columnCount; i++) {
        if (i)
            line += '\t';
        if (i == 38)
            line += r->m_strPassword.IsEmpty() ? CString() : CPasswordScrambler().Scramble(r->m_strPassword);
        else
            line += CleanField(r->GetColumnText(i));
    }
    line += "\r\n";
    WriteLine(file, line);
}

CString CFolderData::ResolveFolderPath(CFolderRecord* pRecord)
{
    if (!pRecord || pRecord->m_strPath.IsEmpty())
        return CString();
    if (IsFullPath(pRecord->m_strPath))
        return pRecord->m_strPath;
    CString full = CombinePath(m_strBaseFolder, pRecord->m_strPath);
    if (!PathExists(full)) {
        CQuendalApp* app = QuendalApp();
        if (app) {
            full = CombinePath(app->GetMailBoxFolder(), pRecord->m_strPath);
            m_bPathsChanged = TRUE;
        }
    }
    pRecord->m_strPath = full;
    return full;
}

int CFolderData::GetFirstFreeId() const
{
    int id = 1;
    for (int i = 0; i < m_records.GetSize(); i++) {
        CFolderRecord* r = GetFolder(i);
        if (r && r->m_nId == id) {
            id++;
            i = -1;
        }
    }
    return id;
}

BOOL CFolderData::ReadFromFile(const char* pszPath, CFolderRecord* pRecord)
{
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::shareDenyNone))
        return FALSE;
    std::string buf;
    try {
        ULONGLONG len = file.GetLength();
        if (len > 16 * 1024 * 1024)
            return FALSE;
        buf.resize(static_cast<size_t>(len));
        UINT got = len ? file.Read(&buf[0], static_cast<UINT>(len)) : 0;
        buf.resize(got);
        file.Close();
    } catch (const CFileException&) {
        return FALSE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    size_t pos = 0;
    while (pos < buf.size()) {
        size_t end = buf.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = buf.size();
        std::string line = buf.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty())
            continue;
        if (!pRecord) {
            AfxMessageBox("ファルダデータ読み込み失敗。(CFolderData::ReadFromFile())");
            continue;
        }
        size_t field = 0;
        for (int column = 0; column < CFolderRecord::columnCount; column++) {
            size_t tab = line.find('\t', field);
            std::string text = line.substr(field, tab == std::string::npos ? std::string::npos : tab - field);
            SetRecordField(column, text.c_str(), pRecord);
            if (tab == std::string::npos)
                break;
            field = tab + 1;
        }
    }
    return TRUE;
}

BOOL CFolderData::WriteSingleRecord(const char* pszPath, CFolderRecord* pRecord)
{
    if (!pRecord)
        return FALSE;
    CFile file;
    if (!file.Open(pszPath, CFile::modeCreate | CFile::modeWrite))
        return FALSE;
    try {
        WriteRecord(file, pRecord);
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        return FALSE;
    }
    return TRUE;
}

int CFolderData::Validate()
{
    int changed = 0;
    std::set<int> ids;
    for (int i = 0; i < m_records.GetSize();) {
        CFolderRecord* r = GetFolder(i);
        bool bad = !r || r->m_nId < 1 || ids.count(r->m_nId);
        if (!bad && !r->m_strPath.IsEmpty()) {
            // A relative directory must stay inside the mailbox (the store
            // creates, writes and deletes files in it); a full path is the
            // user's own choice, as folders kept on another drive.
            if (!IsFullPath(r->m_strPath) && HasParentStep(r->m_strPath))
                bad = true;
        }
        if (bad) {
            RemoveRecord(r);
            changed++;
            continue;
        }
        ids.insert(r->m_nId);
        i++;
    }
    // Parents that are not listed, and rings of parents, make the folder
    // top-level so that the tree walk reaches every folder.
    std::map<int, CFolderRecord*> byId;
    for (int i = 0; i < m_records.GetSize(); i++)
        byId[GetFolder(i)->m_nId] = GetFolder(i);
    for (int i = 0; i < m_records.GetSize(); i++) {
        CFolderRecord* r = GetFolder(i);
        if (r->m_nParentId == 0)
            continue;
        bool sound = false;
        int steps = m_records.GetSize() + 1;
        for (int p = r->m_nParentId; steps-- > 0;) {
            if (p == 0) {
                sound = true;
                break;
            }
            auto it = byId.find(p);
            if (it == byId.end() || it->second == r)
                break;
            p = it->second->m_nParentId;
        }
        if (!sound) {
            r->m_nParentId = 0;
            changed++;
        }
    }
    return changed;
}

#include "store/OEMailImporter.h"

#include "classlib/Wnd.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "store/MboxImporter.h"

#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

namespace {

const DWORD kRootOffset = 0xE4;
const UINT kPiece = 2047;
// Index nodes nest a few levels in real files; a deeper walk means a damaged
// or hostile file and would only exhaust the stack.
const int kMaxIndexDepth = 64;

bool HasWindow(const CWnd* w)
{
    return w && w->GetSafeHwnd();
}

bool Cancelled(const COEMailImporter* importer)
{
    return importer && importer->m_pCancel && *importer->m_pCancel;
}

// Reads little-endian values at absolute offsets of the folder file; every
// read outside the file fails instead of returning stale bytes.
class DbxFile
{
public:
    bool Open(const char* pszPath)
    {
        if (!m_file.Open(pszPath, CFile::modeRead | CFile::shareDenyNone))
            return false;
        try {
            m_size = m_file.GetLength();
        } catch (const CFileException&) {
            return false;
        }
        return true;
    }
    void Close() { m_file.Abort(); }
    uint64_t Size() const { return m_size; }

    UINT Read(uint64_t offset, void* p, UINT n)
    {
        if (offset >= m_size)
            return 0;
        if (n > m_size - offset)
            n = static_cast<UINT>(m_size - offset);
        try {
            m_file.Seek(static_cast<LONGLONG>(offset), CFile::begin);
            return m_file.Read(p, n);
        } catch (const CFileException&) {
            return 0;
        }
    }
    bool U32(uint64_t offset, uint32_t& v)
    {
        unsigned char b[4];
        if (Read(offset, b, 4) != 4)
            return false;
        v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
        return true;
    }
    bool Byte(uint64_t offset, unsigned char& v) { return Read(offset, &v, 1) == 1; }

private:
    CFile m_file;
    uint64_t m_size = 0;
};

// The message offsets of the index tree, in order. False when the tree
// points outside the file, loops back on itself or nests too deep.
bool WalkIndexNode(DbxFile& dbx, uint32_t node, std::vector<uint32_t>& offsets, std::set<uint32_t>& seen, int depth)
{
    if (depth > kMaxIndexDepth || !seen.insert(node).second)
        return false;
    uint32_t child = 0, count = 0, hasChild = 0;
    if (!dbx.U32(node + 8ull, child) || !dbx.U32(node + 17ull, count) || !dbx.U32(node + 20ull, hasChild))
        return false;
    count &= 0xFFFFFF;
    if (node + 24ull + count * 12ull > dbx.Size())
        return false;
    if (hasChild && !WalkIndexNode(dbx, child, offsets, seen, depth + 1))
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t entry = node + 24ull + i * 12ull;
        uint32_t message = 0, sub = 0, subCount = 0;
        if (!dbx.U32(entry, message) || !dbx.U32(entry + 4, sub) || !dbx.U32(entry + 8, subCount))
            return false;
        offsets.push_back(message);
        if (subCount && !WalkIndexNode(dbx, sub, offsets, seen, depth + 1))
            return false;
    }
    return true;
}

// The offset of a message's first text block, or 0 when the message names
// none.
uint32_t FirstTextBlock(DbxFile& dbx, uint32_t m)
{
    uint32_t v28 = 0, v24 = 0, value = 0;
    bool has28 = dbx.U32(m + 28ull, v28);
    bool has24 = dbx.U32(m + 24ull, v24);
    if (has28 && (v28 & 0xF) == 4)
        value = v28;
    else if (has24 && (v24 & 0xF) == 4)
        value = v24;
    else
        return 0;
    if ((value & 0xFF) >= 0x80)
        return value >> 8;
    unsigned char n = 0;
    uint32_t block = 0;
    if (!dbx.Byte(m + 10ull, n) || !dbx.U32(m + 12ull + 4ull * n + ((value >> 8) & 0xFF), block))
        return 0;
    return block;
}

// The output in the form the separator import reads: every "." that begins
// a line (also the message's first line, and across pieces and blocks) is
// doubled, so no message can hold the separator "\r\n.\r\n".
class MbxWriter
{
public:
    bool Create(const char* pszPath)
    {
        m_path = pszPath;
        m_bytes = 0;
        return m_file.Open(pszPath, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite) != FALSE;
    }
    void Close() { m_file.Close(); }
    void Abort() { m_file.Abort(); }
    void BeginMessage() { m_atLineStart = true; }
    void Text(const char* p, size_t n)
    {
        m_out.clear();
        for (size_t i = 0; i < n; ++i) {
            if (m_atLineStart && p[i] == '.')
                m_out += '.';
            m_out += p[i];
            m_atLineStart = p[i] == '\n';
        }
        Put(m_out.data(), m_out.size());
    }
    void EndMessage() { Put("\r\n.\r\n", 5); }
    uint64_t Bytes() const { return m_bytes; }
    const CString& Path() const { return m_path; }

private:
    void Put(const char* p, size_t n)
    {
        if (n) {
            m_file.Write(p, static_cast<UINT>(n));
            m_bytes += n;
        }
    }
    CFile m_file;
    CString m_path;
    std::string m_out;
    bool m_atLineStart = true;
    uint64_t m_bytes = 0;
};

enum class BlockResult { ok, damaged };

// Copies the chain of text blocks starting at b. A chain that comes back to
// a block it has passed would never end.
BlockResult CopyBlocks(DbxFile& dbx, uint32_t b, MbxWriter& out)
{
    std::set<uint32_t> seen;
    char piece[kPiece];
    while (b != 0) {
        if (!seen.insert(b).second)
            return BlockResult::damaged;
        uint32_t length = 0, next = 0;
        if (!dbx.U32(b + 8ull, length) || !dbx.U32(b + 12ull, next))
            return BlockResult::ok;  // a block cut off by the end of the file ends the text
        uint64_t data = b + 16ull;
        for (uint32_t done = 0; done < length;) {
            UINT want = length - done < kPiece ? length - done : kPiece;
            UINT got = dbx.Read(data + done, piece, want);
            out.Text(piece, strnlen(piece, got));
            if (got < want)
                return BlockResult::ok;
            done += got;
        }
        b = next;
    }
    return BlockResult::ok;
}

CString TitleOf(const char* pszPath)
{
    return RemoveFileExtension(GetFileNameFromPath(pszPath));
}

CString OpenFailedText(const char* pszPath)
{
    return FormatString("[%s]が開けませんでした。", pszPath);
}

// A string value of at most nMax bytes, NUL-terminated whatever the registry holds.
bool ReadRegString(HKEY hKey, const char* pszName, DWORD nMax, CString& value)
{
    std::vector<char> buf(nMax + 1, '\0');
    DWORD size = nMax, type = 0;
    if (RegQueryValueExA(hKey, pszName, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    buf[size < nMax ? size : nMax] = '\0';
    value = buf.data();
    return true;
}


} // namespace

COEMailImporter::~COEMailImporter()
{
    ClearIdentities();
    ClearFolders();
}

void COEMailImporter::ClearIdentities()
{
    for (int i = 0; i < m_identities.GetSize(); ++i)
        delete GetIdentity(i);
    m_identities.RemoveAll();
}

void COEMailImporter::ClearFolders()
{
    for (int i = 0; i < m_folders.GetSize(); ++i)
        delete GetFolder(i);
    m_folders.RemoveAll();
}

void COEMailImporter::LoadIdentities()
{
    ClearIdentities();
    CRegKey identities;
    if (identities.Open(HKEY_CURRENT_USER, "Identities") != ERROR_SUCCESS)
        return;
    CString defaultId;
    ReadRegString(identities, "Default User ID", 64, defaultId);
    for (DWORD i = 0;; ++i) {
        char name[65];
        DWORD len = sizeof(name);
        LONG r = RegEnumKeyExA(identities, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_MORE_DATA)
            continue;
        if (r != ERROR_SUCCESS)
            break;
        CRegKey sub;
        CString user;
        if (sub.Open(identities, name) != ERROR_SUCCESS || !ReadRegString(sub, "Username", 1024, user))
            continue;
        Identity* id = new Identity;
        id->strUserName = user;
        id->strKey = name;
        id->bDefault = id->strKey == defaultId ? 1 : 0;
        m_identities.Add(id);
    }
}

void COEMailImporter::LoadFolders()
{
    ClearFolders();
    CString root;
    for (int i = 0; i < GetIdentityCount(); ++i) {
        if (!GetIdentity(i)->bDefault)
            continue;
        CString keyName = "Identities\\" + GetIdentity(i)->strKey + "\\Software\\Microsoft\\Outlook Express\\5.0";
        CRegKey key;
        CString raw;
        if (key.Open(HKEY_CURRENT_USER, keyName) == ERROR_SUCCESS && ReadRegString(key, "Store Root", MAX_PATH, raw)) {
            char expanded[MAX_PATH + 1];
            DWORD n = ExpandEnvironmentStringsA(raw, expanded, MAX_PATH);
            if (n > 0 && n <= MAX_PATH)
                root = expanded;
        }
        break;
    }
    if (root.IsEmpty())
        return;
    // The store root names a folder; one written without its trailing
    // separator must not turn "...\Store" into a search for "Store*.dbx".
    if (root[root.GetLength() - 1] != '\\' && root[root.GetLength() - 1] != '/')
        root += '\\';
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(root + "*.dbx", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        CString name = fd.cFileName;
        if (name.CompareNoCase("Folders.dbx") == 0 || name.CompareNoCase("Offline.dbx") == 0 ||
            name.CompareNoCase("Pop3uidl.dbx") == 0)
            continue;
        Folder* f = new Folder;
        f->strTitle = RemoveFileExtension(name);
        f->strPath = root + name;
        m_folders.Add(f);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

void COEMailImporter::UpdateProgress(int nCount, COEMailImporter* pImporter, int nTotal)
{
    if (!pImporter)
        return;
    if (HasWindow(pImporter->m_pProgress))
        pImporter->m_pProgress->SendMessage(PBM_SETPOS, static_cast<WPARAM>(nCount));
    if (HasWindow(pImporter->m_pCountText))
        pImporter->m_pCountText->SetWindowText(FormatString("%d / %d", nCount, nTotal));
}

BOOL COEMailImporter::ConvertDbxToMbox(const char* pszTitle, COEMailImporter* p, const char* pszDbxPath)
{
    if (!p)
        return FALSE;
    p->m_strError.Empty();
    DbxFile dbx;
    if (!dbx.Open(pszDbxPath)) {
        p->m_strError = OpenFailedText(pszDbxPath);
        return FALSE;
    }
    uint32_t root = 0;
    if (!dbx.U32(kRootOffset, root) || root == 0)
        return TRUE;

    CString mbxPath = CombinePath(p->m_strOutputFolder, CString(pszTitle) + ".mbx");
    MbxWriter out;
    if (!out.Create(mbxPath)) {
        p->m_strError = OpenFailedText(mbxPath);
        return FALSE;
    }
    // A damaged folder file leaves no half-converted output behind.
    auto damaged = [&]() {
        out.Abort();
        DeleteFileA(mbxPath);
        p->m_strError = FormatString("[%s]\r\nファイルが壊れているため読み込めませんでした。", pszDbxPath);
        return FALSE;
    };
    std::vector<uint32_t> offsets;
    std::set<uint32_t> seen;
    if (!WalkIndexNode(dbx, root, offsets, seen, 0))
        return damaged();
    int total = static_cast<int>(offsets.size());
    if (HasWindow(p->m_pStatusText))
        p->m_pStatusText->SetWindowText(FormatString("[%s] コンバート中です。", pszTitle));
    if (HasWindow(p->m_pProgress)) {
        p->m_pProgress->SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, total & 0xFFFF));
        p->m_pProgress->SendMessage(PBM_SETPOS, 0);
    }

    bool cancelled = false;
    try {
        for (int i = 0; i < total; ++i) {
            if (Cancelled(p)) {
                cancelled = true;
                break;
            }
            uint32_t block = FirstTextBlock(dbx, offsets[static_cast<size_t>(i)]);
            if (block == 0)
                continue;
            out.BeginMessage();
            if (CopyBlocks(dbx, block, out) == BlockResult::damaged)
                return damaged();
            out.EndMessage();
            if (p->m_pfnFlush && p->m_pfnComplete &&
                p->m_pfnFlush(pszDbxPath, mbxPath, total, i, out.Bytes())) {
                uint64_t bytes = out.Bytes();
                out.Close();
                if (!p->m_pfnComplete(pszDbxPath, mbxPath, total, i, bytes, p))
                    return FALSE;
                if (!out.Create(mbxPath)) {
                    p->m_strError = OpenFailedText(mbxPath);
                    return FALSE;
                }
            }
            UpdateProgress(i + 1, p, total);
        }
        out.Close();
    } catch (const CFileException& e) {
        out.Abort();
        p->m_strError = FormatString("[%s]で書き込みエラーが発生しました。\r\n[%d][%s]", mbxPath.GetString(),
                                     e.m_cause, e.m_strFileName.GetString());
        return FALSE;
    }
    if (cancelled)
        return FALSE;
    if (p->m_pfnComplete && !p->m_pfnComplete(pszDbxPath, mbxPath, total, total, out.Bytes(), p))
        return FALSE;
    UpdateProgress(total, p, total);
    return TRUE;
}

BOOL COEMailImporter::ImportConvertedFile(const char* pszDbxPath, const char* pszMbxPath, int nMessages, int,
                                          uint64_t nBytes, COEMailImporter* p)
{
    if (!p || nBytes == 0)
        return TRUE;
    CMboxImporter importer;
    importer.m_pCancel = p->m_pCancel;
    importer.m_pStatusText = p->m_pStatusText;
    importer.m_pProgress = p->m_pProgress;
    importer.m_pCountText = p->m_pCountText;
    importer.m_lOwner = p->m_lOwner;
    importer.m_nTotal = nMessages;
    importer.m_strName = TitleOf(pszDbxPath);
    importer.m_bDotStuffed = TRUE;
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* folder = app && p->m_nTargetFolderId ? app->FindFolder(p->m_nTargetFolderId) : nullptr;
    if (!CMboxImporter::ImportFile("\r\n.\r\n", &importer, pszMbxPath, TRUE, folder, 1)) {
        p->m_strError = FormatString("[%s]のインポートに失敗しました。", pszDbxPath);
        return FALSE;
    }
    return TRUE;
}

BOOL COEMailImporter::RunImport()
{
    m_strError.Empty();
    if (!m_pfnComplete)
        m_pfnComplete = ImportConvertedFile;
    // The converted files go to a folder of this run's own under the system's
    // temporary folder: a fixed folder may not exist and may be shared.
    char temp[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof(temp), temp);
    CString work;
    BOOL ok = FALSE;
    if (n > 0 && n < sizeof(temp)) {
        for (int attempt = 0; attempt < 100 && work.IsEmpty(); ++attempt) {
            CString candidate = CombinePath(temp, FormatString("CVMOE%lu_%lu_%d", GetCurrentProcessId(),
                                                              GetTickCount(), attempt));
            if (CreateDirectoryA(candidate, nullptr))
                work = candidate;
        }
    }
    if (work.IsEmpty()) {
        m_strError = OpenFailedText(n > 0 && n < sizeof(temp) ? temp : "%TEMP%");
    } else {
        m_strOutputFolder = work;
        ok = TRUE;
        for (int i = 0; i < GetFolderCount() && ok; ++i) {
            Folder* f = GetFolder(i);
            if (!f->bChosen)
                continue;
            ok = ConvertDbxToMbox(f->strTitle, this, f->strPath);
            DeleteFileA(CombinePath(work, f->strTitle + ".mbx"));
        }
        DeleteDirectoryTree(work, true);
    }
    if (!ok && !m_strError.IsEmpty() && !Cancelled(this))
        AfxMessageBox(m_strError, MB_OK | MB_ICONEXCLAMATION);
    if (m_hNotifyWnd && m_nNotifyMessage)
        ::PostMessageA(m_hNotifyWnd, m_nNotifyMessage, ok, reinterpret_cast<LPARAM>(this));
    return ok;
}

unsigned __stdcall COEMailImporter::ImportThreadProc(void* pImporter)
{
    return static_cast<COEMailImporter*>(pImporter)->RunImport() ? 0 : 1;
}

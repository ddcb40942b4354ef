#include "store/WabReader.h"

#include "store/WabAddress.h"

#include <objbase.h>
#include <wabdefs.h>
#include <wabiab.h>
#include <wabapi.h>

namespace {

const ULONG kDisplayName = 0x3001001E;
const ULONG kAddrType = 0x3002001E;
const ULONG kEmailAddress = 0x3003001E;
const ULONG kComment = 0x3004001E;
const ULONG kNickname = 0x3A4F001E;
const ULONG kBestAccess = 0x10;

CString LibraryPath()
{
    char raw[MAX_PATH + 1] = "";
    HKEY hKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\WAB\\DLLPath", 0, KEY_READ, &hKey) ==
        ERROR_SUCCESS) {
        DWORD size = MAX_PATH, type = 0;
        if (RegQueryValueExA(hKey, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(raw), &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            size = 0;
        raw[size < MAX_PATH ? size : MAX_PATH] = '\0';
        RegCloseKey(hKey);
    }
    if (!raw[0])
        strcpy(raw, "WAB16.DLL");
    char expanded[MAX_PATH + 1];
    DWORD n = ExpandEnvironmentStringsA(raw, expanded, MAX_PATH);
    return n > 0 && n <= MAX_PATH ? CString(expanded) : CString(raw);
}

template <class T> struct Released
{
    T* p = nullptr;
    ~Released()
    {
        if (p)
            p->Release();
    }
};

} // namespace

CWabReader::CWabReader(const char* pszPath)
{
    CString library = LibraryPath();
    m_hWab = LoadLibraryA(library);
    if (!m_hWab) {
        m_strError = FormatString("[%s]", library.GetString());
        return;
    }
    m_pfnWabOpen = GetProcAddress(m_hWab, "WABOpen");
    if (!m_pfnWabOpen) {
        m_strError = "WABOpen";
        return;
    }
    CString path = pszPath ? pszPath : "";
    WAB_PARAM param = {};
    param.cbSize = sizeof(param);
    param.szFileName = path.IsEmpty() ? nullptr : const_cast<char*>(path.GetString());
    auto open = reinterpret_cast<LPWABOPEN>(reinterpret_cast<void*>(m_pfnWabOpen));
    IAddrBook* book = nullptr;
    IWABObject* wab = nullptr;
    HRESULT hr = open(&book, &wab, &param, 0);
    if (FAILED(hr)) {
        m_strError = FormatString("WABOpen %08lX", static_cast<unsigned long>(hr));
        if (book)
            book->Release();
        if (wab)
            wab->Release();
        return;
    }
    m_pAddrBook = book;
    m_pWabObject = wab;
}

CWabReader::~CWabReader()
{
    if (m_pAddrBook)
        m_pAddrBook->Release();
    if (m_pWabObject)
        m_pWabObject->Release();
    if (m_hWab)
        FreeLibrary(m_hWab);
}

BOOL CWabReader::ReadAddresses(CPtrArray& list)
{
    if (!m_pAddrBook || !m_pWabObject)
        return FALSE;
    ULONG cbEntry = 0;
    ENTRYID* entry = nullptr;
    if (FAILED(m_pAddrBook->GetPAB(&cbEntry, &entry)))
        return FALSE;
    ULONG type = 0;
    Released<IABContainer> container;
    HRESULT hr = m_pAddrBook->OpenEntry(cbEntry, entry, nullptr, kBestAccess, &type,
                                        reinterpret_cast<IUnknown**>(&container.p));
    if (entry)
        m_pWabObject->FreeBuffer(entry);
    if (FAILED(hr) || !container.p)
        return FALSE;
    Released<IMAPITable> table;
    ULONG rows = 0;
    if (FAILED(container.p->GetContentsTable(0, &table.p)) || !table.p || FAILED(table.p->GetRowCount(0, &rows)) ||
        FAILED(table.p->SeekRow(BOOKMARK_BEGINNING, 0, nullptr)))
        return FALSE;
    for (ULONG r = 0; r < rows; ++r) {
        SRowSet* set = nullptr;
        if (FAILED(table.p->QueryRows(1, 0, &set)) || !set)
            break;
        bool empty = set->cRows == 0;
        for (ULONG k = 0; k < set->cRows; ++k) {
            CWabAddress* address = new CWabAddress;
            const SRow& row = set->aRow[k];
            for (ULONG i = 0; i < row.cValues && row.lpProps; ++i) {
                const SPropValue& v = row.lpProps[i];
                const char* text = v.Value.lpszA ? v.Value.lpszA : "";
                switch (v.ulPropTag) {
                case kDisplayName:
                    address->m_strDisplayName = text;
                    break;
                case kAddrType:
                    address->m_strAddressType = text;
                    break;
                case kEmailAddress:
                    address->m_strAddress = text;
                    break;
                case kComment:
                case kNickname:
                    address->m_strNote = text;
                    break;
                default:
                    break;
                }
            }
            if (address->m_strAddressType == "SMTP")
                list.Add(address);
            else
                delete address;
            // Each row's values are a buffer of their own, as with FreeProws.
            if (row.lpProps)
                m_pWabObject->FreeBuffer(row.lpProps);
        }
        m_pWabObject->FreeBuffer(set);
        if (empty)
            break;
    }
    return TRUE;
}

// A stand-in Windows Address Book library for the tests (Wine has none): its
// WABOpen reads a text file in place of a .wab file, one entry per line,
// properties as "TAG=value" separated by TABs (string values for tags of
// type 0x1E, any other tag becomes a number). Only what the reader calls is
// implemented; buffers and objects are counted so that the tests can see
// that the reader gives everything back.
#include <windows.h>
#include <objbase.h>
#include <wabdefs.h>
#include <wabiab.h>
#include <wabapi.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace {

#define NOT_IMPLEMENTED { return E_NOTIMPL; }

struct WabObjectBase : IWABObject
{
    MAPI_IUNKNOWN_METHODS(NOT_IMPLEMENTED)
    WAB_IWABOBJECT_METHODS(NOT_IMPLEMENTED)
};
struct AddrBookBase : IAddrBook
{
    MAPI_IUNKNOWN_METHODS(NOT_IMPLEMENTED)
    MAPI_IMAPIPROP_METHODS(NOT_IMPLEMENTED)
    MAPI_IADDRBOOK_METHODS(NOT_IMPLEMENTED)
};
struct ContainerBase : IABContainer
{
    MAPI_IUNKNOWN_METHODS(NOT_IMPLEMENTED)
    MAPI_IMAPIPROP_METHODS(NOT_IMPLEMENTED)
    MAPI_IMAPICONTAINER_METHODS(NOT_IMPLEMENTED)
    MAPI_IABCONTAINER_METHODS(NOT_IMPLEMENTED)
};
struct TableBase : IMAPITable
{
    MAPI_IUNKNOWN_METHODS(NOT_IMPLEMENTED)
    MAPI_IMAPITABLE_METHODS(NOT_IMPLEMENTED)
};

typedef std::vector<std::pair<ULONG, std::string>> Row;
std::vector<Row> g_rows;
std::set<void*> g_buffers;
LONG g_objects = 0;
std::string g_lastFile;

void* Allocate(size_t n)
{
    void* p = calloc(1, n);
    g_buffers.insert(p);
    return p;
}

template <class Base> struct Counted : Base
{
    Counted() { ++g_objects; }
    virtual ~Counted() { --g_objects; }
    LONG m_refs = 1;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG r = --m_refs;
        if (r == 0)
            delete this;
        return r;
    }
};

struct Table : Counted<TableBase>
{
    size_t m_pos = 0;
    HRESULT STDMETHODCALLTYPE GetRowCount(ULONG, ULONG* count) override
    {
        *count = static_cast<ULONG>(g_rows.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SeekRow(BOOKMARK origin, LONG, LONG* sought) override
    {
        if (origin != BOOKMARK_BEGINNING)
            return E_INVALIDARG;
        m_pos = 0;
        if (sought)
            *sought = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryRows(LONG count, ULONG, LPSRowSet* rows) override
    {
        size_t n = m_pos < g_rows.size() && count > 0 ? 1 : 0;
        auto* set = static_cast<SRowSet*>(Allocate(sizeof(SRowSet) + sizeof(SRow)));
        set->cRows = static_cast<ULONG>(n);
        if (n) {
            const Row& row = g_rows[m_pos++];
            size_t bytes = sizeof(SPropValue) * row.size();
            for (const auto& v : row)
                bytes += v.second.size() + 1;
            auto* props = static_cast<SPropValue*>(Allocate(bytes));
            char* text = reinterpret_cast<char*>(props + row.size());
            for (size_t i = 0; i < row.size(); ++i) {
                props[i].ulPropTag = row[i].first;
                if ((row[i].first & 0xFFFF) == 0x1E) {
                    memcpy(text, row[i].second.c_str(), row[i].second.size() + 1);
                    props[i].Value.lpszA = text;
                    text += row[i].second.size() + 1;
                } else {
                    props[i].Value.l = 7;
                }
            }
            set->aRow[0].cValues = static_cast<ULONG>(row.size());
            set->aRow[0].lpProps = props;
        }
        *rows = set;
        return S_OK;
    }
};

struct Container : Counted<ContainerBase>
{
    HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG, LPMAPITABLE* table) override
    {
        *table = new Table;
        return S_OK;
    }
};

struct AddrBook : Counted<AddrBookBase>
{
    HRESULT STDMETHODCALLTYPE GetPAB(ULONG* cb, LPENTRYID* entry) override
    {
        *cb = 8;
        *entry = static_cast<LPENTRYID>(Allocate(8));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cb, LPENTRYID entry, LPCIID, ULONG flags, ULONG* type,
                                        LPUNKNOWN* unk) override
    {
        if (cb != 8 || !entry || flags != 0x10)
            return E_INVALIDARG;
        *type = MAPI_ABCONT;
        *unk = static_cast<IABContainer*>(new Container);
        return S_OK;
    }
};

struct WabObject : Counted<WabObjectBase>
{
    HRESULT STDMETHODCALLTYPE FreeBuffer(LPVOID p) override
    {
        if (!p || g_buffers.erase(p) != 1)
            return E_INVALIDARG;
        free(p);
        return S_OK;
    }
};

} // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI WABOpen(LPADRBOOK* book, LPWABOBJECT* wab, LPWAB_PARAM param,
                                                        DWORD reserved)
{
    g_lastFile = param && param->szFileName ? param->szFileName : "";
    if (!param || param->cbSize != sizeof(WAB_PARAM) || reserved != 0)
        return E_INVALIDARG;
    std::ifstream in(g_lastFile, std::ios::binary);
    if (!in)
        return E_FAIL;
    g_rows.clear();
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        Row row;
        size_t start = 0;
        while (start < line.size()) {
            size_t tab = line.find('\t', start);
            std::string field = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
            size_t eq = field.find('=');
            if (eq != std::string::npos)
                row.emplace_back(strtoul(field.substr(0, eq).c_str(), nullptr, 16), field.substr(eq + 1));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        g_rows.push_back(row);
    }
    *book = new AddrBook;
    *wab = new WabObject;
    return S_OK;
}

// Buffers not freed and objects not released.
extern "C" __declspec(dllexport) int StandInWabOutstanding()
{
    return static_cast<int>(g_buffers.size()) + static_cast<int>(g_objects);
}

extern "C" __declspec(dllexport) const char* StandInWabLastFile()
{
    return g_lastFile.c_str();
}

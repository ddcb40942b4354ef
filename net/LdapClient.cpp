#include "net/LdapClient.h"

#include <winldap.h>
#include <winber.h>

#include <string>

namespace {

const char kConnectFailed[] = "サーバに接続できませんでした。";
const char kBindFailed[] = "サーバで認証に失敗しました。";
const char kSearchFailed[] = "LDAPサーバで検索に失敗しました。Error[%d]\r\n[%s]";

// The program's strings are in the ANSI code page; the library's wide entry
// points put them on the wire as UTF-8, which LDAPv3 requires.
std::wstring ToWide(const char* psz)
{
    return CString(psz).ToWide();
}

CString FromWide(const wchar_t* pwsz)
{
    return CString(pwsz ? pwsz : L"");
}

CString ValueText(const berval* pValue, BOOL bUtf8)
{
    if (pValue == nullptr || pValue->bv_val == nullptr || pValue->bv_len == 0)
        return CString();
    int nLength = static_cast<int>(pValue->bv_len);
    if (!bUtf8) {
        CString raw(pValue->bv_val, nLength);
        // A value is text to the address book; anything behind a zero byte is lost there anyway.
        return CString(raw.GetString());
    }
    int nWide = MultiByteToWideChar(CP_UTF8, 0, pValue->bv_val, nLength, nullptr, 0);
    if (nWide <= 0)
        return CString();
    std::wstring wide(static_cast<size_t>(nWide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, pValue->bv_val, nLength, &wide[0], nWide);
    return FromWide(wide.c_str());
}

class CLdapConnection
{
public:
    explicit CLdapConnection(LDAP* pLdap) : m_pLdap(pLdap) {}
    CLdapConnection(const CLdapConnection&) = delete;
    CLdapConnection& operator=(const CLdapConnection&) = delete;
    ~CLdapConnection()
    {
        if (m_pLdap)
            ldap_unbind(m_pLdap);
    }
    LDAP* Get() const { return m_pLdap; }

private:
    LDAP* m_pLdap;
};

class CLdapResult
{
public:
    CLdapResult() = default;
    CLdapResult(const CLdapResult&) = delete;
    CLdapResult& operator=(const CLdapResult&) = delete;
    ~CLdapResult()
    {
        if (m_pMessage)
            ldap_msgfree(m_pMessage);
    }
    LDAPMessage** Out() { return &m_pMessage; }
    LDAPMessage* Get() const { return m_pMessage; }

private:
    LDAPMessage* m_pMessage = nullptr;
};

// Walks the attributes of one entry; frees the names and the walk state.
class CAttributeWalk
{
public:
    CAttributeWalk(LDAP* pLdap, LDAPMessage* pEntry) : m_pLdap(pLdap), m_pEntry(pEntry) {}
    CAttributeWalk(const CAttributeWalk&) = delete;
    CAttributeWalk& operator=(const CAttributeWalk&) = delete;
    ~CAttributeWalk()
    {
        FreeName();
        if (m_pBer)
            ber_free(m_pBer, 0);
    }
    const wchar_t* Next()
    {
        FreeName();
        m_pName = m_bStarted ? ldap_next_attributeW(m_pLdap, m_pEntry, m_pBer)
                             : ldap_first_attributeW(m_pLdap, m_pEntry, &m_pBer);
        m_bStarted = true;
        return m_pName;
    }

private:
    void FreeName()
    {
        if (m_pName)
            ldap_memfreeW(m_pName);
        m_pName = nullptr;
    }
    LDAP* m_pLdap;
    LDAPMessage* m_pEntry;
    BerElement* m_pBer = nullptr;
    wchar_t* m_pName = nullptr;
    bool m_bStarted = false;
};

class CValues
{
public:
    CValues(LDAP* pLdap, LDAPMessage* pEntry, const wchar_t* pszAttr)
        : m_ppValues(ldap_get_values_lenW(pLdap, pEntry, const_cast<PWCHAR>(pszAttr)))
    {
    }
    CValues(const CValues&) = delete;
    CValues& operator=(const CValues&) = delete;
    ~CValues()
    {
        if (m_ppValues)
            ldap_value_free_len(m_ppValues);
    }
    const berval* First() const { return m_ppValues ? m_ppValues[0] : nullptr; }

private:
    berval** m_ppValues;
};

bool IsConnectionFailure(ULONG nCode)
{
    return nCode == LDAP_SERVER_DOWN || nCode == LDAP_CONNECT_ERROR || nCode == LDAP_TIMEOUT;
}

// Simple bind that gives up after the search time-out: the library's
// synchronous bind waits for ever on a server that accepted the connection
// but never answers.
ULONG Bind(LDAP* pLdap, const char* pszBindName, const char* pszPassword, l_timeval* pTimeout)
{
    std::wstring name = ToWide(pszBindName);
    std::wstring password = ToWide(pszPassword);
    bool bAnonymous = pszBindName == nullptr || *pszBindName == '\0';
    ULONG nMessageId = ldap_simple_bindW(pLdap, bAnonymous ? nullptr : &name[0],
                                         bAnonymous || pszPassword == nullptr ? nullptr : &password[0]);
    // The request could not even be sent: the connection is not there.
    if (nMessageId == static_cast<ULONG>(-1))
        return LDAP_SERVER_DOWN;
    CLdapResult result;
    ULONG nType = ldap_result(pLdap, nMessageId, LDAP_MSG_ALL, pTimeout, result.Out());
    if (nType == 0) {
        ldap_abandon(pLdap, nMessageId);
        return LDAP_TIMEOUT;
    }
    if (nType == static_cast<ULONG>(-1) || result.Get() == nullptr)
        return LDAP_SERVER_DOWN;
    return ldap_result2error(pLdap, result.Get(), FALSE);
}

} // namespace

bool CLdapClient::Search(const char* pszHost, int nPort, const char* pszBindName, const char* pszPassword,
                         const char* pszBase, const char* pszFilter, int nScope,
                         const char* pszMailAttr, const char* pszNameAttr, const char* pszThirdAttr,
                         CPtrArray* pResults, CString& strError, int nVersion, BOOL bUtf8, int nTimeout)
{
    strError.Empty();
    // A time-out of 0 would make the library give up at once; it means no limit.
    l_timeval timeout = {nTimeout, 0};
    l_timeval* pTimeout = nTimeout > 0 ? &timeout : nullptr;

    std::wstring host = ToWide(pszHost);
    CLdapConnection connection(ldap_initW(&host[0], static_cast<ULONG>(nPort)));
    LDAP* pLdap = connection.Get();
    if (pLdap == nullptr || ldap_connect(pLdap, pTimeout) != LDAP_SUCCESS) {
        strError = kConnectFailed;
        return false;
    }

    ULONG nProtocol = static_cast<ULONG>(nVersion);
    ldap_set_optionW(pLdap, LDAP_OPT_PROTOCOL_VERSION, &nProtocol);

    // The library opens the connection at the first request, so a server
    // that cannot be reached shows itself at the bind.
    ULONG nBind = Bind(pLdap, pszBindName, pszPassword, pTimeout);
    if (nBind != LDAP_SUCCESS) {
        strError = IsConnectionFailure(nBind) ? kConnectFailed : kBindFailed;
        return false;
    }

    std::wstring base = ToWide(pszBase);
    std::wstring filter = ToWide(pszFilter);
    CLdapResult result;
    ULONG nCode = ldap_search_ext_sW(pLdap, &base[0], static_cast<ULONG>(nScope), &filter[0], nullptr, 0,
                                     nullptr, nullptr, pTimeout, 0, result.Out());
    if (nCode != LDAP_SUCCESS) {
        strError.Format(kSearchFailed, static_cast<int>(nCode), ResultCodeName(nCode));
        // Hitting the server's size limit still delivers the entries found up
        // to it; those are kept.
        if (nCode != LDAP_SIZELIMIT_EXCEEDED || result.Get() == nullptr)
            return false;
    }

    for (LDAPMessage* pEntry = ldap_first_entry(pLdap, result.Get()); pEntry;
         pEntry = ldap_next_entry(pLdap, pEntry)) {
        CLdapEntry* pRecord = new CLdapEntry;
        pResults->Add(pRecord);
        CAttributeWalk walk(pLdap, pEntry);
        for (const wchar_t* pszAttr = walk.Next(); pszAttr; pszAttr = walk.Next()) {
            CValues values(pLdap, pEntry, pszAttr);
            CString value = ValueText(values.First(), bUtf8);
            value.Trim();
            CString name = FromWide(pszAttr);
            if (pszMailAttr && name.CompareNoCase(pszMailAttr) == 0)
                pRecord->m_strMail = value;
            else if (pszNameAttr && name.CompareNoCase(pszNameAttr) == 0)
                pRecord->m_strName = value;
            else if (pszThirdAttr && name.CompareNoCase(pszThirdAttr) == 0)
                pRecord->m_strThird = value;
            else
                pRecord->m_attributes.emplace_back(name, value);
        }
    }
    return true;
}

const char* CLdapClient::ResultCodeName(ULONG nCode)
{
    switch (nCode) {
    case 0: return "正常に終了しました。";
    case 1: return "LDAP_OPERATIONS_ERROR";
    case 2: return "LDAP_PROTOCOL_ERROR";
    case 3: return "LDAP_TIMELIMIT_EXCEEDED";
    case 4: return "LDAP_SIZELIMIT_EXCEEDED";
    case 5: return "LDAP_COMPARE_FALSE";
    case 6: return "LDAP_COMPARE_TRUE";
    case 7: return "LDAP_AUTH_METHOD_NOT_SUPPORTED";
    case 8: return "LDAP_STRONG_AUTH_REQUIRED";
    case 9: return "LDAP_REFERRAL_V2 or LDAP_PARTIAL_RESULTS";
    case 10: return "LDAP_REFERRAL";
    case 11: return "LDAP_ADMIN_LIMIT_EXCEEDED";
    case 12: return "LDAP_UNAVAILABLE_CRIT_EXTENSION";
    case 13: return "LDAP_CONFIDENTIALITY_REQUIRED";
    case 16: return "LDAP_NO_SUCH_ATTRIBUTE";
    case 17: return "LDAP_UNDEFINED_TYPE";
    case 18: return "LDAP_INAPPROPRIATE_MATCHING";
    case 19: return "LDAP_CONSTRAINT_VIOLATION";
    case 20: return "LDAP_ATTRIBUTE_OR_VALUE_EXISTS";
    case 21: return "LDAP_INVALID_SYNTAX";
    case 32: return "LDAP_NO_SUCH_OBJECT";
    case 33: return "LDAP_ALIAS_PROBLEM";
    case 34: return "LDAP_INVALID_DN_SYNTAX";
    case 35: return "LDAP_IS_LEAF";
    case 36: return "LDAP_ALIAS_DEREF_PROBLEM";
    case 48: return "LDAP_INAPPROPRIATE_AUTH";
    case 49: return "LDAP_INVALID_CREDENTIALS";
    case 50: return "LDAP_INSUFFICIENT_RIGHTS";
    case 51: return "LDAP_BUSY";
    case 52: return "LDAP_UNAVAILABLE";
    case 53: return "LDAP_UNWILLING_TO_PERFORM";
    case 54: return "LDAP_LOOP_DETECT";
    case 64: return "LDAP_NAMING_VIOLATION";
    case 65: return "LDAP_OBJECT_CLASS_VIOLATION";
    case 66: return "LDAP_NOT_ALLOWED_ON_NONLEAF";
    case 67: return "LDAP_NOT_ALLOWED_ON_RDN";
    case 68: return "LDAP_ALREADY_EXISTS";
    case 69: return "LDAP_NO_OBJECT_CLASS_MODS";
    case 70: return "LDAP_RESULTS_TOO_LARGE";
    case 71: return "LDAP_AFFECTS_MULTIPLE_DSAS";
    case 80: return "LDAP_OTHER";
    case 81: return "LDAP_SERVER_DOWN";
    case 82: return "LDAP_LOCAL_ERROR";
    case 83: return "LDAP_ENCODING_ERROR";
    case 84: return "LDAP_DECODING_ERROR";
    case 85: return "LDAP_TIMEOUT";
    case 86: return "LDAP_AUTH_UNKNOWN";
    case 87: return "LDAP_FILTER_ERROR";
    case 88: return "LDAP_USER_CANCELLED";
    case 89: return "LDAP_PARAM_ERROR";
    case 90: return "LDAP_NO_MEMORY";
    case 91: return "LDAP_CONNECT_ERROR";
    case 92: return "LDAP_NOT_SUPPORTED";
    case 93: return "LDAP_CONTROL_NOT_FOUND";
    case 94: return "LDAP_NO_RESULTS_RETURNED";
    case 95: return "LDAP_MORE_RESULTS_TO_RETURN";
    case 96: return "LDAP_CLIENT_LOOP";
    case 97: return "LDAP_REFERRAL_LIMIT_EXCEEDED";
    default: return "";
    }
}

bool LdapSearch(const char* pszServer, int nPort, const char* pszBindName, const char* pszPassword,
                const char* pszBase, const char* pszFilter, int nScope,
                const char* pszNameAttr, const char* pszMailAttr, const char* pszMemoAttr,
                CPtrArray* pResults, CString& strError, int nVersion, BOOL bUtf8, int nTimeout)
{
    CLdapClient client;
    return client.Search(pszServer, nPort, pszBindName, pszPassword, pszBase, pszFilter, nScope,
                         pszMailAttr, pszNameAttr, pszMemoAttr, pResults, strError,
                         nVersion, bUtf8, nTimeout);
}

// CAccountData: one mail account, one line of "Account.dat" with 47 columns.
// Passwords (columns 6, 32 and 37) are plain in memory and scrambled on disk.
#pragma once

#include "core/DataStrgRecord.h"

class CAccountData : public CDataStrgRecord
{
public:
    enum { ColumnCount = 47 };
    enum ColumnType { colText, colInt, colFlag, colPassword };
    static ColumnType GetColumnType(int nColumn);

    CAccountData();

    // Generic column access (texts as stored in memory, numbers as int).
    const CString& GetText(int nColumn) const { return m_text[nColumn]; }
    void SetText(int nColumn, const char* psz) { m_text[nColumn] = psz; }
    int GetInt(int nColumn) const { return m_int[nColumn]; }
    void SetInt(int nColumn, int n) { m_int[nColumn] = GetColumnType(nColumn) == colFlag ? (n != 0) : n; }

    const CString& GetAccountName() const { return m_text[0]; }
    void SetAccountName(const char* p) { m_text[0] = p; }
    const CString& GetUserName() const { return m_text[1]; }
    void SetUserName(const char* p) { m_text[1] = p; }
    const CString& GetMailAddress() const { return m_text[2]; }
    void SetMailAddress(const char* p) { m_text[2] = p; }
    const CString& GetSmtpServer() const { return m_text[3]; }
    void SetSmtpServer(const char* p) { m_text[3] = p; }
    const CString& GetReceiveServer() const { return m_text[4]; }
    void SetReceiveServer(const char* p) { m_text[4] = p; }
    const CString& GetReceiveUser() const { return m_text[5]; }
    void SetReceiveUser(const char* p) { m_text[5] = p; }
    const CString& GetPassword() const { return m_text[6]; }
    void SetPassword(const char* p) { m_text[6] = p; }
    int GetSmtpPort() const { return m_int[7]; }
    void SetSmtpPort(int n) { m_int[7] = n; }
    int GetReceivePort() const { return m_int[8]; }
    void SetReceivePort(int n) { m_int[8] = n; }
    int GetReceiveAuth() const { return m_int[10]; }  // 0 standard, 1 APOP, 2 CRAM-MD5
    void SetReceiveAuth(int n) { m_int[10] = n; }
    BOOL GetLeaveOnServer() const { return m_int[11]; }
    void SetLeaveOnServer(BOOL b) { m_int[11] = b != 0; }
    BOOL GetFetchUnreadOnly() const { return m_int[12]; }
    void SetFetchUnreadOnly(BOOL b) { m_int[12] = b != 0; }
    int GetConnectionType() const { return m_int[13]; }  // 0 LAN, 1 dial-up
    void SetConnectionType(int n) { m_int[13] = n; }
    const CString& GetDialEntry() const { return m_text[14]; }
    void SetDialEntry(const char* p) { m_text[14] = p; }
    int GetKeepLine() const { return m_int[15]; }
    void SetKeepLine(int n) { m_int[15] = n; }
    BOOL GetSizeLimitOn() const { return m_int[16]; }
    void SetSizeLimitOn(BOOL b) { m_int[16] = b != 0; }
    int GetSizeLimit() const { return m_int[17]; }  // KB
    void SetSizeLimit(int n) { m_int[17] = n; }
    // The size limit handed to the receive session: the limit while it is on, else -1.
    int GetSessionSizeLimit() const { return m_int[16] ? m_int[17] : -1; }
    int GetProtectOtherClientMail() const { return m_int[18]; }
    void SetProtectOtherClientMail(int n) { m_int[18] = n; }
    int GetProtocol() const { return m_int[19]; }  // 0 POP3, else IMAP4
    void SetProtocol(int n) { m_int[19] = n; }
    int GetPopBeforeSmtp() const { return m_int[20]; }
    void SetPopBeforeSmtp(int n) { m_int[20] = n; }
    int GetBccToSelf() const { return m_int[21]; }
    void SetBccToSelf(int n) { m_int[21] = n; }
    const CString& GetImapDirectory() const { return m_text[22]; }
    void SetImapDirectory(const char* p) { m_text[22] = p; }
    const CString& GetSignatureName() const { return m_text[23]; }
    void SetSignatureName(const char* p) { m_text[23] = p; }
    const CString& GetReplyTo() const { return m_text[24]; }
    void SetReplyTo(const char* p) { m_text[24] = p; }
    const CString& GetNewMailTemplate() const { return m_text[25]; }
    void SetNewMailTemplate(const char* p) { m_text[25] = p; }
    const CString& GetReplyTemplate() const { return m_text[26]; }
    void SetReplyTemplate(const char* p) { m_text[26] = p; }
    const CString& GetReplyAllTemplate() const { return m_text[27]; }
    void SetReplyAllTemplate(const char* p) { m_text[27] = p; }
    const CString& GetForwardTemplate() const { return m_text[28]; }
    void SetForwardTemplate(const char* p) { m_text[28] = p; }
    int GetFromForm() const { return m_int[29]; }
    void SetFromForm(int n) { m_int[29] = n; }
    const CString& GetDialUser() const { return m_text[31]; }
    void SetDialUser(const char* p) { m_text[31] = p; }
    const CString& GetDialPassword() const { return m_text[32]; }
    void SetDialPassword(const char* p) { m_text[32] = p; }
    int GetDeleteAfterDays() const { return m_int[33]; }
    void SetDeleteAfterDays(int n) { m_int[33] = n; }
    BOOL GetUseEsmtp() const { return m_int[34]; }
    void SetUseEsmtp(BOOL b) { m_int[34] = b != 0; }
    BOOL GetSmtpAuth() const { return m_int[35]; }
    void SetSmtpAuth(BOOL b) { m_int[35] = b != 0; }
    const CString& GetSmtpUser() const { return m_text[36]; }
    void SetSmtpUser(const char* p) { m_text[36] = p; }
    const CString& GetSmtpPassword() const { return m_text[37]; }
    void SetSmtpPassword(const char* p) { m_text[37] = p; }
    const CString& GetSendNameColumn() const { return m_text[38]; }
    void SetSendName(const char* p) { m_text[38] = p; }
    const CString& GetSendAddressColumn() const { return m_text[39]; }
    void SetSendAddress(const char* p) { m_text[39] = p; }
    int GetTimeout() const { return m_int[40]; }
    void SetTimeout(int n) { m_int[40] = n; }
    void SetBccAddress(const char* p) { m_text[41] = p; }
    BOOL GetSmtpLogin() const { return m_int[42]; }
    void SetSmtpLogin(BOOL b) { m_int[42] = b != 0; }
    BOOL GetSmtpCramMd5() const { return m_int[43]; }
    void SetSmtpCramMd5(BOOL b) { m_int[43] = b != 0; }
    BOOL GetSmtpPlain() const { return m_int[44]; }
    void SetSmtpPlain(BOOL b) { m_int[44] = b != 0; }
    BOOL GetReceiveTls() const { return m_int[45]; }
    void SetReceiveTls(BOOL b) { m_int[45] = b != 0; }
    BOOL GetSendTls() const { return m_int[46]; }
    void SetSendTls(BOOL b) { m_int[46] = b != 0; }

    // Column 38, else column 1.
    CString GetSendName() const;
    // Column 39, else column 2.
    CString GetSendAddress() const;
    // Column 41; a stored "0" means none and is cleared on first use.
    CString GetBccAddress();

    // The unstored flag: the account belongs to the current profile.
    BOOL m_bInProfile = TRUE;

private:
    friend void CopyAccountData(const CAccountData* pSource, CAccountData* pTarget);
    friend BOOL IsSameAccountData(const CAccountData* pA, const CAccountData* pB);

    CString m_text[ColumnCount];
    int m_int[ColumnCount];
};

void CopyAccountData(const CAccountData* pSource, CAccountData* pTarget);
BOOL IsSameAccountData(const CAccountData* pA, const CAccountData* pB);

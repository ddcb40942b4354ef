#include "transfer/RemoteMailItem.h"

#include "message/MimeCodec.h"
#include "net/ReceiveSession.h"

void CRemoteMailItem::SetData(int nAccount, const CString& header, const CString& strId, int nNumber, int nSize)
{
    CMimeCodec codec;
    m_nAccount = nAccount;
    m_nNumber = nNumber;
    m_bReceive = m_bDelete = m_bKeepUnread = 0;
    m_strSubject = codec.DecodeHeaderText(CReceiveSession::GetHeaderField(header, "Subject").Trim());
    m_strSender = codec.DecodeHeaderText(CReceiveSession::GetHeaderField(header, "From").Trim());
    m_strDate = CReceiveSession::GetHeaderField(header, "Date").Trim();
    m_nSize = nSize;
    m_strId = strId;
    m_nOperation = opNone;
}

bool CRemoteMailItem::TakeOperation(int nAccount)
{
    m_bReceive = m_bDelete = m_bKeepUnread = 0;
    switch (m_nOperation) {
    case opReceive:
        m_bReceive = 1;
        break;
    case opReceiveUnread:
        m_bReceive = 1;
        m_bKeepUnread = 1;
        break;
    case opReceiveDelete:
        m_bReceive = 1;
        m_bDelete = 1;
        break;
    case opDelete:
        m_bDelete = 1;
        break;
    default:
        return false;
    }
    m_nAccount = nAccount;
    return true;
}

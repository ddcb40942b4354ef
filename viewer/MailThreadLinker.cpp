#include "viewer/MailThreadLinker.h"

#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <atomic>
#include <ctime>
#include <random>

namespace {

// Numbers for new thread ids: random at the start of the process, then
// counted, so that ids made within one second differ as well.
uint32_t NextIdNumber()
{
    static std::atomic<uint32_t> s_next([] {
        std::random_device rd;
        return static_cast<uint32_t>(rd());
    }());
    return s_next.fetch_add(1);
}

} // namespace

bool CMailThreadLinker::IsIdUsed(CMailListData& list, const CString& id)
{
    for (int i = 0; i < list.GetAllRecordCount(); i++) {
        CMailIndexRecord* r = list.GetMailRecord(i);
        if (r && (r->GetText(CMailIndexRecord::colMessageId) == id || r->GetText(CMailIndexRecord::colReference) == id))
            return true;
    }
    return false;
}

CString CMailThreadLinker::MakeThreadId(CMailListData& list, uint32_t nSeconds)
{
    CSingleLock lock(&list.RecordLock(), TRUE);
    CString id;
    do {
        id.Format("<%lu.%x.%s>", static_cast<unsigned long>(nSeconds), NextIdNumber(), "MAILTHREAD");
    } while (IsIdUsed(list, id));
    return id;
}

CString CMailThreadLinker::TopParentId(CMailListData& list, int nRootMail)
{
    CMailIndexRecord* root = list.GetMailRecord(nRootMail);
    if (!root)
        return CString();
    CString ref = root->GetText(CMailIndexRecord::colReference);
    if (!ref.IsEmpty())
        return ref;
    ref = MakeThreadId(list, static_cast<uint32_t>(time(nullptr)));
    std::vector<int> one(1, nRootMail);
    if (!Link(list, one, ref))
        return CString();
    return ref;
}

BOOL CMailThreadLinker::Link(CMailListData& list, const std::vector<int>& mails, const char* pszParentId)
{
    {
        CSingleLock lock(&list.RecordLock(), TRUE);
        for (int index : mails) {
            CMailIndexRecord* r = list.GetMailRecord(index);
            if (!r)
                continue;
            r->SetReferenceId(pszParentId);
            list.UnlinkThread(r);
            list.LinkThread(r);
        }
    }
    return list.SaveIndex();
}

BOOL CMailThreadLinker::Unlink(CMailListData& list, int nMail)
{
    {
        CSingleLock lock(&list.RecordLock(), TRUE);
        CMailIndexRecord* r = list.GetMailRecord(nMail);
        if (!r)
            return FALSE;
        r->SetReferenceId("");
        list.UnlinkThread(r);
        list.LinkThread(r);
    }
    return list.SaveIndex();
}
